#include "scripted_prompter.h"

#include "kodra32.h"

#include <QDialog>

namespace {

bool answer(std::deque<std::optional<QString>> &answers, QString &path) {
    if (answers.empty()) return false;
    const std::optional<QString> next = answers.front();
    answers.pop_front();
    if (!next) return false;
    path = *next;
    return true;
}

}  // namespace

bool ScriptedPrompter::askExistingFile(QWidget *, QString &path) {
    openInitialNames.append(path);
    return answer(openAnswers, path);
}

bool ScriptedPrompter::askSaveFile(QWidget *, QString &path) {
    saveInitialNames.append(path);
    return answer(saveAnswers, path);
}

int ScriptedPrompter::runDialog(QDialog &dialog) {
    ++dialogsRun;
    dialog.show();
    const int result = onDialog ? onDialog(dialog) : QDialog::Rejected;
    dialog.hide();
    return result;
}

void ScriptedPrompter::showMessage(QWidget *, const QString &text, const QString &caption) {
    messages.emplace_back(text, caption);
}

int ScriptedPrompter::askLibraryQuestion(QWidget *owner, const QString &text,
                                         const QString &caption, int buttons) {
    libraryQuestions.push_back({text, caption, buttons, owner});
    if (buttons == KODRA_MB_OK) return KODRA_IDOK;  // a message needs no scripted answer
    if (libraryAnswers.empty()) return KODRA_IDCANCEL;
    const int next = libraryAnswers.front();
    libraryAnswers.pop_front();
    return next;
}
