// File > Decode > Multiple Files: asks for a folder with a file mask and whether to
// search subfolders.
#pragma once

#include "merido_dialog.h"

#include <QString>

class QCheckBox;
class QLineEdit;

class CDecodeMultipleDialog : public CMeridoDialog {
public:
    explicit CDecodeMultipleDialog(QWidget *parent = nullptr);

    // Moves the members into the controls, or with save the controls into the members.
    void UpdateData(bool save);
    // Reads the controls back into the members and closes with OK.
    void accept() override;

    QString m_strPathMask;
    int m_bSubdirectories;

protected:
    void OnInitDialog() override;

private:
    QLineEdit *pathMask_;
    QCheckBox *subdirectories_;
};
