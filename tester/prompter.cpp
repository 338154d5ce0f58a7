#include "prompter.h"

#include "kodra32.h"
#include "resources.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

QString folderOf(const QString &path) {
    const qsizetype separator = path.lastIndexOf(QLatin1Char('/'));
    return separator < 0 ? QString() : path.left(separator + 1);
}

namespace {

// Runs a Qt file dialog that starts in the initial name's folder with that name chosen.
bool runFileDialog(QWidget *owner, QString &path, QFileDialog::AcceptMode acceptMode) {
    QFileDialog dialog(owner, QString(), folderOf(path), QString::fromLatin1(merido::kFileFilter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(acceptMode);
    dialog.setFileMode(acceptMode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                              : QFileDialog::AnyFile);
    if (!path.isEmpty()) dialog.selectFile(path);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    path = chosen.first();
    return true;
}

}  // namespace

bool CQtPrompter::askExistingFile(QWidget *owner, QString &path) {
    return runFileDialog(owner, path, QFileDialog::AcceptOpen);
}

bool CQtPrompter::askSaveFile(QWidget *owner, QString &path) {
    return runFileDialog(owner, path, QFileDialog::AcceptSave);
}

int CQtPrompter::runDialog(QDialog &dialog) { return dialog.exec(); }

void CQtPrompter::showMessage(QWidget *owner, const QString &text, const QString &caption) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

int CQtPrompter::askLibraryQuestion(QWidget *owner, const QString &text, const QString &caption,
                                    int buttons) {
    QMessageBox::StandardButtons shown = QMessageBox::Ok;
    if (buttons == KODRA_MB_YESNOCANCEL)
        shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    else if (buttons == KODRA_MB_YESNO)
        shown = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(QMessageBox::NoIcon, caption, text, shown, owner);
    switch (box.exec()) {
        case QMessageBox::Yes: return KODRA_IDYES;
        case QMessageBox::No: return KODRA_IDNO;
        case QMessageBox::Cancel: return KODRA_IDCANCEL;
        case QMessageBox::Ok: return KODRA_IDOK;
        default: return buttons == KODRA_MB_YESNO ? KODRA_IDNO : KODRA_IDCANCEL;
    }
}
