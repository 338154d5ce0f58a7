// The file prompts, modal dialogs and message boxes that merido shows itself, behind one
// interface so that tests can script the user's answers.
#pragma once

#include <QString>

class QDialog;
class QWidget;

class CPrompter {
public:
    virtual ~CPrompter() = default;

    // Open-file prompt for an existing file; path holds the initial name on entry and the
    // chosen full path on return. False when the user cancels.
    virtual bool askExistingFile(QWidget *owner, QString &path) = 0;
    // Save-file prompt that asks before an existing file is chosen; path as above.
    virtual bool askSaveFile(QWidget *owner, QString &path) = 0;
    // Runs dialog modally; returns QDialog::Accepted or QDialog::Rejected.
    virtual int runDialog(QDialog &dialog) = 0;
    // Message box with an OK button and an exclamation icon.
    virtual void showMessage(QWidget *owner, const QString &text, const QString &caption) = 0;
    // The library's message box: text under caption with a KODRA_MB_* button set; returns
    // the KODRA_ID* answer.
    virtual int askLibraryQuestion(QWidget *owner, const QString &text, const QString &caption,
                                   int buttons) = 0;
};

// The prompter of the running program: Qt's own (non-native) dialogs.
class CQtPrompter final : public CPrompter {
public:
    bool askExistingFile(QWidget *owner, QString &path) override;
    bool askSaveFile(QWidget *owner, QString &path) override;
    int runDialog(QDialog &dialog) override;
    void showMessage(QWidget *owner, const QString &text, const QString &caption) override;
    int askLibraryQuestion(QWidget *owner, const QString &text, const QString &caption,
                           int buttons) override;
};

// The folder part of a path, up to and including its last "/"; empty when it has none.
QString folderOf(const QString &path);
