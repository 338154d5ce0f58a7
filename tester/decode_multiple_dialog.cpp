#include "decode_multiple_dialog.h"

#include "dialog_units.h"
#include "resources.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CDecodeMultipleDialog::CDecodeMultipleDialog(QWidget *parent)
    : CMeridoDialog(parent), m_bSubdirectories(1) {
    m_strPathMask = QDir::currentPath();
    if (!m_strPathMask.endsWith(QLatin1Char('/'))) m_strPathMask += QLatin1Char('/');
    m_strPathMask += QStringLiteral("*.*");

    setWindowTitle(QStringLiteral("Decode Multiple Files"));
    const CDialogUnits units(*this);
    units.resizeDialog(*this, 272, 52);

    auto *caption = new QLabel(QStringLiteral("&Path and file mask:"), this);
    units.place(*caption, -1, 7, 7, 57, 8);

    pathMask_ = new QLineEdit(this);
    units.place(*pathMask_, merido::IDC_PATHMASK, 7, 18, 203, 14);
    pathMask_->setObjectName(QStringLiteral("m_strPathMask"));
    caption->setBuddy(pathMask_);

    subdirectories_ = new QCheckBox(QStringLiteral("&Process Subdirectories"), this);
    units.place(*subdirectories_, merido::IDC_SUBDIRECTORIES, 7, 35, 161, 10);
    subdirectories_->setObjectName(QStringLiteral("m_bSubdirectories"));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    units.place(*ok, merido::IDOK, 215, 7, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CDecodeMultipleDialog::accept);

    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    units.place(*cancel, merido::IDCANCEL, 215, 31, 50, 14);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CDecodeMultipleDialog::OnInitDialog() { UpdateData(false); }

void CDecodeMultipleDialog::UpdateData(bool save) {
    if (save) {
        m_strPathMask = pathMask_->text();
        m_bSubdirectories = subdirectories_->isChecked() ? 1 : 0;
    } else {
        pathMask_->setText(m_strPathMask);
        subdirectories_->setChecked(m_bSubdirectories != 0);
    }
}

void CDecodeMultipleDialog::accept() {
    UpdateData(true);
    QDialog::accept();
}
