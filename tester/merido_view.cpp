#include "merido_view.h"

#include "buffer_codec_dialog.h"
#include "collect_files.h"
#include "decode_list_dialog.h"
#include "decode_multiple_dialog.h"
#include "library_functions.h"
#include "name_buffers.h"
#include "prompter.h"
#include "resources.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstring>
#include <vector>

namespace merido {

QString encodedOutputPath(const QString &path, const QString &extension) {
    QString output = path;
    const qsizetype dot = output.lastIndexOf(QLatin1Char('.'));
    // Only a "." of the file name starts an extension: one in a folder name does not.
    if (dot > output.lastIndexOf(QLatin1Char('/'))) output.truncate(dot);
    return output + extension;
}

}  // namespace merido

namespace {

QString appTitle() { return QString::fromLatin1(merido::kAppTitle); }

// The text of a library-written buffer, which may lack its terminator when overfilled.
QString bufferText(std::vector<char> &buffer) {
    buffer.back() = '\0';
    return QString::fromLocal8Bit(buffer.data());
}

}  // namespace

CMeridoView::CMeridoView(QWidget *parent, const CLibraryFunctions &library, CPrompter &prompter)
    : QWidget(parent),
      m_strBoundary(QString::fromLatin1(merido::kBoundary)),
      library_(library),
      prompter_(prompter) {}

bool CMeridoView::AskExistingFile(const QString &initialName, QString &path) {
    path = initialName;
    return prompter_.askExistingFile(this, path);
}

void CMeridoView::registerTitle() {
    const QByteArray title = appTitle().toLocal8Bit();
    library_.setEncodingApplication(title.constData());
}

void CMeridoView::OnDecodeAllPrompts() { decodeChosenFile(0); }

void CMeridoView::OnDecodeOverwritePrompt() { decodeChosenFile(2); }

void CMeridoView::decodeChosenFile(int mode) {
    QString path;
    if (!AskExistingFile(QString(), path)) return;
    registerTitle();
    const QByteArray file = path.toLocal8Bit();
    library_.decodeFile(file.constData(), "", mode);
}

void CMeridoView::OnDecodeShowNames() {
    QString path;
    if (!AskExistingFile(QString(), path)) return;
    registerTitle();
    CDecodeListDialog dialog(path, this, library_, prompter_);
    prompter_.runDialog(dialog);
}

void CMeridoView::OnDecodeMultiple() {
    CDecodeMultipleDialog dialog(window());
    if (prompter_.runDialog(dialog) != QDialog::Accepted) return;
    const merido::FolderAndMask search = merido::splitPathMask(dialog.m_strPathMask);
    QStringList files;
    CollectFiles(search.folder, search.mask, files, dialog.m_bSubdirectories != 0);
    for (const QString &file : files) decodeFileWithListedNames(file);
}

void CMeridoView::decodeFileWithListedNames(const QString &file) {
    const QByteArray path = file.toLocal8Bit();
    const int count = library_.getNumFilesToDecode(path.constData());
    QString names;
    std::vector<char> buffer(merido::kDecodeNameBufferSize);
    for (int j = 0; j < count; ++j) {
        std::fill(buffer.begin(), buffer.end(), '\0');
        library_.getEncodedFile(buffer.data(), j);
        QString name = bufferText(buffer);
        if (!names.isEmpty()) names += QLatin1Char(';');
        name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
        names += file + QLatin1Char('_') + name;
    }
    if (names.isEmpty()) return;
    const QByteArray list = names.toLocal8Bit();
    library_.decodeFile(path.constData(), list.constData(), 1);
}

void CMeridoView::OnEncodeMime() {
    encodeChosenFile(KODRA_BASE64, ".MIM", TitleRegistration::first);
}

void CMeridoView::OnEncodeUu() {
    encodeChosenFile(KODRA_UUENCODE, ".UUE", TitleRegistration::beforeEncoding);
}

void CMeridoView::OnEncodeXx() {
    encodeChosenFile(KODRA_XXENCODE, ".XXE", TitleRegistration::none);
}

void CMeridoView::OnEncodeBinHex() {
    encodeChosenFile(KODRA_BINHEX, ".HQX", TitleRegistration::none);
}

void CMeridoView::OnEncodeQp() {
    encodeChosenFile(KODRA_QUOTED_PRINTABLE, ".QP", TitleRegistration::first);
}

void CMeridoView::encodeChosenFile(int type, const char *extension,
                                   TitleRegistration registration) {
    QString path;
    if (!AskExistingFile(QString(), path)) return;
    if (registration == TitleRegistration::first) registerTitle();

    std::vector<char> buffer = merido::pathBuffer(
        merido::encodedOutputPath(path, QString::fromLatin1(extension)).toLocal8Bit());
    library_.getUniqueFileName(buffer.data());
    const QByteArray output = bufferText(buffer).toLocal8Bit();

    if (registration == TitleRegistration::beforeEncoding) registerTitle();
    const QByteArray source = path.toLocal8Bit();
    const QByteArray boundary = m_strBoundary.toLocal8Bit();
    library_.encodeFile(source.constData(), output.constData(), boundary.constData(), type, 0);

    if (type == KODRA_BASE64) {
        QString second;
        if (AskExistingFile(path, second)) {
            const QByteArray secondSource = second.toLocal8Bit();
            library_.encodeFile(secondSource.constData(), output.constData(),
                                boundary.constData(), KODRA_BASE64, 1);
        }
    }
    library_.finishAttachments(output.constData());
}

void CMeridoView::OnSplitFile() {
    QString path;
    if (!AskExistingFile(QString(), path)) return;
    std::vector<char> buffer = merido::pathBuffer(path.toLocal8Bit());
    library_.splitFile(buffer.data(), merido::kPieceSize);
}

void CMeridoView::OnConcatenateFiles() {
    QString path;
    if (!AskExistingFile(QString(), path)) return;
    std::vector<char> buffer = merido::pathBuffer(path.toLocal8Bit());
    library_.concatenateRelated(1, buffer.data());
}

void CMeridoView::OnEncodeBuffer() {
    CBufferCodecDialog dialog(window(), library_);
    prompter_.runDialog(dialog);
}

void CMeridoView::OnShowMessageHeaders() {
    QString path;
    if (!AskExistingFile(QString(), path)) return;
    const QByteArray file = path.toLocal8Bit();

    QString text;
    MessageInfoRecord record{};
    if (library_.getMessageInfo(file.constData(), &record) != 0) {
        if (record.headerBlock)
            text = QStringLiteral("Message Header: ") + QString::fromLocal8Bit(record.headerBlock);
        const std::array<std::pair<const char *, const char *>, 8> fields{{
            {"Message Received at: ", record.received},
            {"From: ", record.from},
            {"To: ", record.to},
            {"Subject: ", record.subject},
            {"Sent at: ", record.date},
            {"CC: ", record.cc},
            {"Reply To: ", record.replyTo},
            {"Organization: ", record.organization},
        }};
        for (const auto &[label, value] : fields) {
            if (!value) continue;
            if (!text.isEmpty()) text += QLatin1Char('\n');
            text += QString::fromLatin1(label) + QString::fromLocal8Bit(value);
        }
        if (!text.isEmpty()) prompter_.showMessage(this, text, appTitle());
        library_.freeMessageInfo(&record);
    }

    if (library_.getMessageText(file.constData(), merido::kMessageTextName) != 0)
        showMessageText(folderOf(path) + QString::fromLatin1(merido::kMessageTextName));
}

// Shows the first bytes of the extracted message text, up to a NUL among them.
void CMeridoView::showMessageText(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QString message = QStringLiteral("An unexpected error occurred while reading %1.");
        if (!QFileInfo::exists(path))
            message = QStringLiteral("%1 was not found.");
        else if (file.error() == QFileDevice::PermissionsError)
            message = QStringLiteral("Access to %1 was denied.");
        prompter_.showMessage(this, message.arg(path), appTitle());
        return;
    }
    const QByteArray bytes = file.read(merido::kMessageTextShown);
    if (file.error() != QFileDevice::NoError) {
        prompter_.showMessage(
            this, QStringLiteral("An unexpected error occurred while reading %1.").arg(path),
            appTitle());
        return;
    }
    const qsizetype end = bytes.indexOf('\0');
    prompter_.showMessage(this, QString::fromLocal8Bit(end < 0 ? bytes : bytes.left(end)),
                          appTitle());
}
