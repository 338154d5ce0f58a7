// Dispatch of prompts, messages and progress to the host's installed dialogs,
// falling back to this system's defaults for whatever the host left empty.
#include "platform.h"

#include "kodra32.h"

#include <cstring>

namespace kodra::platform {
namespace {

KodraUserInterface installed{};

}  // namespace

void installUserInterface(const KodraUserInterface* userInterface) noexcept {
    installed = userInterface ? *userInterface : KodraUserInterface{};
}

void* activeWindow() noexcept {
    return installed.activeWindow ? installed.activeWindow(installed.context) : nullptr;
}

Answer messageBox(void* owner, const char* text, const char* caption, Buttons buttons) noexcept {
    if (!installed.messageBox) return defaultMessageBox(text, caption, buttons);
    const int answer =
        installed.messageBox(installed.context, owner, text, caption, static_cast<int>(buttons));
    switch (answer) {
        case KODRA_IDOK: return Answer::ok;
        case KODRA_IDYES: return Answer::yes;
        case KODRA_IDNO: return Answer::no;
        default: return Answer::cancel;  // anything unexpected is the safe answer
    }
}

bool chooseSaveFile(void* owner, char* path, std::size_t size) noexcept {
    if (size == 0) return false;
    if (!installed.chooseSaveFile) return defaultChooseSaveFile(path, size);
    const int limited = size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size);
    const int chosen = installed.chooseSaveFile(installed.context, owner, path, limited);
    path[size - 1] = '\0';  // a careless host must not leave us an unterminated path
    return chosen != 0 && path[0] != '\0';
}

void reportProgress(std::uint64_t done, std::uint64_t total) noexcept {
    if (installed.progress)
        installed.progress(installed.context, static_cast<long long>(done),
                           static_cast<long long>(total));
}

}  // namespace kodra::platform
