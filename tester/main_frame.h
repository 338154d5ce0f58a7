// The main window: the menu bar and accelerators, the view as client area, no toolbar
// and no status bar.
#pragma once

#include <QMainWindow>

class CMeridoView;
class QAction;

class CMainFrame : public QMainWindow {
public:
    explicit CMainFrame(QWidget *parent = nullptr);

    // Sets the caption "document title - application title".
    void UpdateFrameTitle(const QString &documentTitle);
    // The action of a menu or accelerator command id, or null.
    QAction *commandAction(int commandId) const;

    CMeridoView *view() const;
};

// The command id property of the frame's actions.
inline constexpr const char *kCommandIdProperty = "commandId";
