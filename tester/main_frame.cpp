#include "main_frame.h"

#include "merido_view.h"
#include "resources.h"

#include <QAction>

CMainFrame::CMainFrame(QWidget *parent) : QMainWindow(parent) {
    setWindowIcon(merido::meridoIcon());
}

void CMainFrame::UpdateFrameTitle(const QString &documentTitle) {
    // The template's first field names the program in the caption.
    const QString program = QString::fromLatin1(merido::kDocTemplate).section(QLatin1Char('\n'), 0, 0);
    setWindowTitle(documentTitle + QStringLiteral(" - ") + program);
}

QAction *CMainFrame::commandAction(int commandId) const {
    const QList<QAction *> actions = findChildren<QAction *>();
    for (QAction *action : actions)
        if (action->property(kCommandIdProperty).toInt() == commandId) return action;
    return nullptr;
}

CMeridoView *CMainFrame::view() const { return dynamic_cast<CMeridoView *>(centralWidget()); }
