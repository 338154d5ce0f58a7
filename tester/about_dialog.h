// Help > About: the program's icon and version.
#pragma once

#include <QDialog>

class CAboutDialog : public QDialog {
public:
    explicit CAboutDialog(QWidget *parent = nullptr);
};
