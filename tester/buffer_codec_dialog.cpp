#include "buffer_codec_dialog.h"

#include "dialog_units.h"
#include "library_functions.h"
#include "resources.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace merido {

int bufferEncodingType(int index) {
    int type = index + 1;
    if (type > 2) ++type;
    return type;
}

std::size_t encodeBufferSize(std::size_t length, int type) {
    std::size_t bound = 0;
    switch (type) {
        case KODRA_UUENCODE:
        case KODRA_XXENCODE: bound = (length / 45 + 1) * (1 + 60 + 2); break;
        case KODRA_BASE64: bound = (length / 57 + 1) * (76 + 2); break;
        case KODRA_QUOTED_PRINTABLE: bound = 3 * length + 3 * (length / 72 + 1) + 3; break;
        default: break;
    }
    // Never below the classic (3 x len) / 2 + 10, plus the terminator.
    return std::max(bound, (3 * length) / 2 + 10) + 1;
}

std::size_t decodeBufferSize(std::size_t length, int type) {
    std::size_t bound = length;
    if (type == KODRA_UUENCODE || type == KODRA_BASE64 || type == KODRA_XXENCODE)
        bound = std::max(bound, 3 * (length / 4) + 3);
    return bound + 1;
}

}  // namespace merido

namespace {

// The edit box shows line breaks; the text it stands for has CR LF line ends.
QByteArray textBytes(const QString &shown) {
    QString text = shown;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toLocal8Bit();
}

QString shownText(const QString &text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

}  // namespace

CBufferCodecDialog::CBufferCodecDialog(QWidget *parent, const CLibraryFunctions &library)
    : CMeridoDialog(parent),
      m_strText(QStringLiteral("Sample Text")),
      m_nEncoding(0),
      library_(library) {
    setWindowTitle(QStringLiteral("Encode/Decode Buffer"));
    const CDialogUnits units(*this);
    units.resizeDialog(*this, 187, 115);

    auto *caption = new QLabel(QStringLiteral("Buffer to Encode/Results:"), this);
    units.place(*caption, -1, 3, 3, 180, 8);

    text_ = new QPlainTextEdit(this);
    units.place(*text_, merido::IDC_BUFFERTEXT, 3, 13, 180, 63);
    text_->setObjectName(QStringLiteral("m_strText"));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setTabChangesFocus(true);

    auto *typeCaption = new QLabel(QStringLiteral("Encoding Type:"), this);
    units.place(*typeCaption, -1, 3, 81, 51, 8);

    encoding_ = new QComboBox(this);
    const QRect comboRect = units.rect(56, 79, 127, 51);
    units.place(*encoding_, merido::IDC_ENCODINGTYPE, 56, 79, 127, 51);
    encoding_->setFixedHeight(std::min(comboRect.height(), encoding_->sizeHint().height()));
    encoding_->setObjectName(QStringLiteral("m_nEncoding"));
    encoding_->setEditable(false);
    encoding_->addItems({QStringLiteral("UUENCODED"), QStringLiteral("Base64 encoded (MIME)"),
                         QStringLiteral("XXENCODED"), QStringLiteral("Quoted-printable")});

    auto *encode = new QPushButton(QStringLiteral("&Encode"), this);
    units.place(*encode, merido::IDC_ENCODE, 3, 97, 50, 14);
    encode->setDefault(true);
    connect(encode, &QPushButton::clicked, this, [this] { OnEncode(); });

    auto *decode = new QPushButton(QStringLiteral("&Decode"), this);
    units.place(*decode, merido::IDC_DECODE, 68, 97, 50, 14);
    decode->setAutoDefault(false);
    connect(decode, &QPushButton::clicked, this, [this] { OnDecode(); });

    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    units.place(*cancel, merido::IDCANCEL, 133, 97, 50, 14);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CBufferCodecDialog::OnInitDialog() { UpdateData(false); }

void CBufferCodecDialog::UpdateData(bool save) {
    if (save) {
        m_strText = QString::fromLocal8Bit(textBytes(text_->toPlainText()));
        m_nEncoding = encoding_->currentIndex();
    } else {
        text_->setPlainText(shownText(m_strText));
        encoding_->setCurrentIndex(m_nEncoding);
    }
}

void CBufferCodecDialog::OnEncode() { code(true); }

void CBufferCodecDialog::OnDecode() { code(false); }

void CBufferCodecDialog::code(bool encode) {
    UpdateData(true);
    const int type = merido::bufferEncodingType(m_nEncoding);
    const QByteArray input = m_strText.toLocal8Bit();  // NUL-terminated after its bytes
    const std::size_t length = static_cast<std::size_t>(input.size());
    const std::size_t size =
        encode ? merido::encodeBufferSize(length, type) : merido::decodeBufferSize(length, type);
    if (length > INT_MAX || size > INT_MAX) return;
    std::vector<char> output(size, '\0');
    const int produced =
        encode ? library_.encodeBuffer(input.constData(), output.data(), static_cast<int>(length), type)
               : library_.decodeBuffer(input.constData(), output.data(), static_cast<int>(length), type);
    // Never take more than the buffer holds, and the text ends at its first NUL.
    const std::size_t taken = std::min<std::size_t>(produced > 0 ? static_cast<std::size_t>(produced) : 0,
                                                    size - 1);
    const std::size_t textLength = ::strnlen(output.data(), taken);
    m_strText = QString::fromLocal8Bit(output.data(), static_cast<qsizetype>(textLength));
    UpdateData(false);
}
