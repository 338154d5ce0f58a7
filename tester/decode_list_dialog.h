// File > Decode > Show File Names...: lists the names a file decodes to, lets the user
// change them, and decodes with the listed names.
#pragma once

#include "merido_dialog.h"
#include <QString>

class CPrompter;
class QListWidget;
struct CLibraryFunctions;

class CDecodeListDialog : public CMeridoDialog {
public:
    CDecodeListDialog(const QString &path, QWidget *parent, const CLibraryFunctions &library,
                      CPrompter &prompter);

    // Lets the user replace the selected name through a save-file prompt.
    void OnDblclkNameList();
    // Decodes m_strPath with the listed names, then closes with OK.
    void OnOK();

    QListWidget *m_listNames;
    QString m_strPath;

protected:
    // Fills the list with the names the library finds in m_strPath.
    void OnInitDialog() override;

private:
    const CLibraryFunctions &library_;
    CPrompter &prompter_;
};
