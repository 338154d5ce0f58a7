#include "library_user_interface.h"

#include "library_functions.h"
#include "prompter.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <cstring>

namespace {

struct Host {
    QPointer<QWidget> mainWindow;
    CPrompter *prompter = nullptr;
};

Host host;

QWidget *ownerWidget(void *owner) { return static_cast<QWidget *>(owner); }

int KODRA_CALL messageBox(void *context, void *owner, const char *text, const char *caption,
                          int buttons) {
    auto *installed = static_cast<Host *>(context);
    return installed->prompter->askLibraryQuestion(ownerWidget(owner), QString::fromLocal8Bit(text),
                                                   QString::fromLocal8Bit(caption), buttons);
}

void *KODRA_CALL activeWindow(void *context) {
    auto *installed = static_cast<Host *>(context);
    if (QWidget *modal = QApplication::activeModalWidget()) return modal;
    if (QWidget *active = QApplication::activeWindow()) return active;
    return installed->mainWindow.data();
}

int KODRA_CALL chooseSaveFile(void *context, void *owner, char *path, int size) {
    auto *installed = static_cast<Host *>(context);
    if (size < 1) return 0;
    QString chosen = QString::fromLocal8Bit(path);
    if (!installed->prompter->askSaveFile(ownerWidget(owner), chosen)) return 0;
    const QByteArray bytes = chosen.toLocal8Bit();
    if (bytes.size() >= size) return 0;  // a name the library cannot hold is no choice
    std::memcpy(path, bytes.constData(), static_cast<std::size_t>(bytes.size()) + 1);
    return 1;
}

}  // namespace

void installLibraryUserInterface(const CLibraryFunctions &library, QWidget *mainWindow,
                                 CPrompter &prompter) {
    host.mainWindow = mainWindow;
    host.prompter = &prompter;
    KodraUserInterface userInterface{};
    userInterface.context = &host;
    userInterface.messageBox = messageBox;
    userInterface.activeWindow = activeWindow;
    userInterface.chooseSaveFile = chooseSaveFile;
    library.setUserInterface(&userInterface);
}

void uninstallLibraryUserInterface(const CLibraryFunctions &library) {
    library.setUserInterface(nullptr);
    host = Host{};
}
