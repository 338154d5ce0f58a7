#include "about_dialog.h"

#include "dialog_units.h"
#include "resources.h"

#include <QLabel>
#include <QPushButton>

CAboutDialog::CAboutDialog(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Merido"));
    const CDialogUnits units(*this);
    units.resizeDialog(*this, 217, 58);

    auto *icon = new QLabel(this);
    units.place(*icon, -1, 11, 17, 20, 20);
    icon->setPixmap(merido::meridoIcon().pixmap(icon->size()));

    auto *version = new QLabel(QStringLiteral("Kodra Test Application Version 2.4"), this);
    units.place(*version, -1, 40, 6, 119, 18);
    version->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    version->setWordWrap(true);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    units.place(*ok, merido::IDOK, 176, 6, 32, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
