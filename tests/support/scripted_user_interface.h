// A user interface for tests: records every prompt and answers from a script.
#pragma once

#include "kodra32.h"

#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace kodra::testing {

struct Prompt {
    std::string text;
    std::string caption;
    int buttons;
    bool operator==(const Prompt& other) const {
        return text == other.text && caption == other.caption && buttons == other.buttons;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Prompt& prompt) {
    return out << "{\"" << prompt.text << "\", \"" << prompt.caption << "\", buttons " << prompt.buttons << "}";
}

// Installed for its lifetime. Unscripted questions are answered Cancel (or No for a
// Yes/No question); an unscripted save chooser is cancelled.
class ScriptedUserInterface {
public:
    explicit ScriptedUserInterface(std::deque<int> answers = {}, std::deque<std::string> chosenPaths = {})
        : answers_(std::move(answers)), chosenPaths_(std::move(chosenPaths)) {
        KodraUserInterface ui{};
        ui.context = this;
        ui.messageBox = &messageBox;
        ui.activeWindow = &activeWindow;
        ui.chooseSaveFile = &chooseSaveFile;
        ui.progress = &progress;
        SetUserInterface(&ui);
    }
    ~ScriptedUserInterface() { SetUserInterface(nullptr); }
    ScriptedUserInterface(const ScriptedUserInterface&) = delete;
    ScriptedUserInterface& operator=(const ScriptedUserInterface&) = delete;

    std::vector<Prompt> prompts;
    std::vector<std::string> chooserProposals;  // the path offered to each save chooser
    std::vector<long long> progressReports;

private:
    static int KODRA_CALL messageBox(void* context, void*, const char* text, const char* caption, int buttons) {
        auto* self = static_cast<ScriptedUserInterface*>(context);
        self->prompts.push_back({text, caption, buttons});
        if (buttons == KODRA_MB_OK) return KODRA_IDOK;
        if (self->answers_.empty()) return buttons == KODRA_MB_YESNO ? KODRA_IDNO : KODRA_IDCANCEL;
        const int answer = self->answers_.front();
        self->answers_.pop_front();
        return answer;
    }
    static void* KODRA_CALL activeWindow(void* context) { return context; }
    static int KODRA_CALL chooseSaveFile(void* context, void*, char* path, int size) {
        auto* self = static_cast<ScriptedUserInterface*>(context);
        self->chooserProposals.emplace_back(path);
        if (self->chosenPaths_.empty()) return 0;
        const std::string chosen = self->chosenPaths_.front();
        self->chosenPaths_.pop_front();
        if (chosen.size() + 1 > static_cast<std::size_t>(size)) return 0;
        chosen.copy(path, chosen.size());
        path[chosen.size()] = '\0';
        return 1;
    }
    static void KODRA_CALL progress(void* context, long long done, long long) {
        static_cast<ScriptedUserInterface*>(context)->progressReports.push_back(done);
    }

    std::deque<int> answers_;
    std::deque<std::string> chosenPaths_;
};

}  // namespace kodra::testing
