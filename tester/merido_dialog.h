// Base of merido's dialogs: runs OnInitDialog once, when the dialog is first shown.
#pragma once

#include <QDialog>

class CMeridoDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    // Start-up work that needs the dialog's controls on screen (library calls included).
    virtual void OnInitDialog() {}
    void showEvent(QShowEvent *event) override {
        if (!initialised_) {
            initialised_ = true;
            OnInitDialog();
        }
        QDialog::showEvent(event);
    }

private:
    bool initialised_ = false;
};
