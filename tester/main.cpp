// merido: the desktop program that drives every export of libkodra32.
#include "library_functions.h"
#include "merido_app.h"
#include "prompter.h"
#include "resources.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(merido::kAppTitle));
    CQtPrompter prompter;
    CMeridoApp theApp(realLibraryFunctions(), prompter);
    if (!theApp.InitInstance()) return 1;
    return QApplication::exec();
}
