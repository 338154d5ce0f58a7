// Renders merido's main window and its four dialogs to PNG files in the folder given as
// the only argument (run with QT_QPA_PLATFORM=offscreen to need no display).
#include "about_dialog.h"
#include "buffer_codec_dialog.h"
#include "decode_list_dialog.h"
#include "decode_multiple_dialog.h"
#include "library_functions.h"
#include "main_frame.h"
#include "merido_app.h"
#include "prompter.h"

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

// A library that lists two names for the Display Files To Decode dialog and does nothing else.
const char *const kNames[] = {"/home/user/mail/photo.jpg", "/home/user/mail/song.mid"};
int KODRA_CALL countNames(const char *) { return 2; }
int KODRA_CALL nameAt(char *buffer, int index) {
    if (index < 0 || index > 1) return 0;
    std::strcpy(buffer, kNames[index]);
    return 1;
}
void KODRA_CALL keepUserInterface(const KodraUserInterface *) {}

bool save(QWidget &widget, const QString &folder, const char *name) {
    widget.show();
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    const bool saved = widget.grab().save(path);
    QTextStream(stdout) << (saved ? "wrote " : "could not write ") << path << Qt::endl;
    return saved;
}

}  // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: merido_render FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    CLibraryFunctions library = realLibraryFunctions();
    library.getNumFilesToDecode = countNames;
    library.getEncodedFile = nameAt;
    library.setUserInterface = keepUserInterface;
    CQtPrompter prompter;
    CMeridoApp app(library, prompter);
    app.InitInstance();
    CMainFrame &frame = *app.mainFrame();
    frame.resize(640, 400);

    bool saved = save(frame, folder, "main-window.png");
    // The File menu opened, with its Decode submenu.
    QMenu *file = frame.menuBar()->actions().first()->menu();
    file->popup(frame.mapToGlobal(QPoint(0, frame.menuBar()->height())));
    saved = save(*file, folder, "menu-file.png") && saved;
    file->hide();

    CAboutDialog about(&frame);
    saved = save(about, folder, "about-dialog.png") && saved;
    CDecodeListDialog list(QStringLiteral("/home/user/mail/message.txt"), &frame, library, prompter);
    saved = save(list, folder, "decode-list-dialog.png") && saved;
    CBufferCodecDialog buffer(&frame, library);
    saved = save(buffer, folder, "buffer-codec-dialog.png") && saved;
    CDecodeMultipleDialog multiple(&frame);
    saved = save(multiple, folder, "decode-multiple-dialog.png") && saved;
    return saved ? 0 : 1;
}
