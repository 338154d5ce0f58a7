// A prompter whose answers the test scripts in advance and which records every prompt.
#pragma once

#include "prompter.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class ScriptedPrompter final : public CPrompter {
public:
    // Answers of the open-file and save-file prompts in order; nullopt cancels.
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    // The initial names each prompt was shown with.
    QStringList openInitialNames;
    QStringList saveInitialNames;
    // Plays the user's part in a modal dialog (shown when this runs); returns the result.
    std::function<int(QDialog &)> onDialog;
    int dialogsRun = 0;
    // Message boxes shown by merido: text and caption.
    std::vector<std::pair<QString, QString>> messages;
    // The library's questions and the scripted answers (KODRA_ID*); messages with an OK
    // button only are answered OK without one.
    std::deque<int> libraryAnswers;
    struct Question {
        QString text;
        QString caption;
        int buttons;
        QWidget *owner;
    };
    std::vector<Question> libraryQuestions;

    bool askExistingFile(QWidget *owner, QString &path) override;
    bool askSaveFile(QWidget *owner, QString &path) override;
    int runDialog(QDialog &dialog) override;
    void showMessage(QWidget *owner, const QString &text, const QString &caption) override;
    int askLibraryQuestion(QWidget *owner, const QString &text, const QString &caption,
                           int buttons) override;
};
