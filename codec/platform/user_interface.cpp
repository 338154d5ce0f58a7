// Dispatch of prompts, messages and progress to the host's installed dialogs,
// falling back to this system's defaults for whatever the host left empty. The host
// speaks the classic exports' text (the ANSI code page on Windows), the library UTF-8.
#include "platform.h"

#include "kodra32.h"

#include <cstring>
#include <string>

namespace kodra::platform {
void UserInterface::install(const KodraUserInterface* userInterface) noexcept {
    hooks_ = userInterface ? *userInterface : KodraUserInterface{};
}

void* UserInterface::activeWindow() const noexcept {
    return hooks_.activeWindow ? hooks_.activeWindow(hooks_.context) : nullptr;
}

Answer UserInterface::messageBox(void* owner, const char* text, const char* caption, Buttons buttons) const noexcept {
    if (!hooks_.messageBox) return defaultMessageBox(text, caption, buttons);
    int answer = 0;
    if constexpr (kClassicTextIsUtf8) {
        answer = hooks_.messageBox(hooks_.context, owner, text, caption, static_cast<int>(buttons));
    } else {
        std::string hostText, hostCaption;
        if (!utf8ToAnsi(text ? text : "", hostText) || !utf8ToAnsi(caption ? caption : "", hostCaption))
            return Answer::cancel;
        answer = hooks_.messageBox(hooks_.context, owner, hostText.c_str(), hostCaption.c_str(),
                                   static_cast<int>(buttons));
    }
    switch (answer) {
        case KODRA_IDOK: return Answer::ok;
        case KODRA_IDYES: return Answer::yes;
        case KODRA_IDNO: return Answer::no;
        default: return Answer::cancel;  // anything unexpected is the safe answer
    }
}

bool UserInterface::chooseSaveFile(void* owner, char* path, std::size_t size) const noexcept {
    if (size == 0) return false;
    if (!hooks_.chooseSaveFile) return defaultChooseSaveFile(path, size);
    const int limited = size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size);
    if constexpr (kClassicTextIsUtf8) {
        const int chosen = hooks_.chooseSaveFile(hooks_.context, owner, path, limited);
        path[size - 1] = '\0';  // a careless host must not leave us an unterminated path
        return chosen != 0 && path[0] != '\0';
    }
    // The host gets the proposal in its code page, in a buffer as large as ours (never
    // longer than the UTF-8 form), and its choice must fit ours again as UTF-8.
    std::string hostPath, chosenPath;
    if (!utf8ToAnsi(path, hostPath)) return false;
    try {
        hostPath.resize(static_cast<std::size_t>(limited), '\0');
    } catch (...) {
        return false;
    }
    const int chosen = hooks_.chooseSaveFile(hooks_.context, owner, &hostPath[0], limited);
    hostPath[hostPath.size() - 1] = '\0';
    hostPath.resize(std::strlen(hostPath.c_str()));
    if (chosen == 0 || hostPath.empty() || !ansiToUtf8(hostPath, chosenPath) || chosenPath.size() >= size)
        return false;
    std::memcpy(path, chosenPath.c_str(), chosenPath.size() + 1);
    return true;
}

void UserInterface::reportProgress(std::uint64_t done, std::uint64_t total) const noexcept {
    if (hooks_.progress)
        hooks_.progress(hooks_.context, static_cast<long long>(done),
                           static_cast<long long>(total));
}

}  // namespace kodra::platform
