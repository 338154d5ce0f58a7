#include "library_dialogs.h"

#include <kodra32.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "printable_text.h"

namespace kodra::cli {
namespace {

struct Progress {
    ProgressReceiver receiver = nullptr;
    void* context = nullptr;
};
Progress progress;

int KODRA_CALL showMessage(void*, void*, const char* text, const char* caption, int buttons) {
    try {
        // The library's own texts break lines; every other control character is shown.
        const std::string shownText = printable(text ? text : "", true);
        const std::string shownCaption = printable(caption ? caption : "");
        return static_cast<int>(platform::defaultMessageBox(shownText.c_str(), shownCaption.c_str(),
                                                            static_cast<platform::Buttons>(buttons)));
    } catch (...) {
        return KODRA_IDCANCEL;
    }
}

int KODRA_CALL chooseFile(void*, void*, char* path, int size) {
    if (!path || size < 2) return 0;
    try {
        // The proposal is only shown; the answer typed replaces it.
        std::vector<char> buffer(static_cast<std::size_t>(size), '\0');
        const std::string shown = printable(path).substr(0, buffer.size() - 1);
        std::memcpy(buffer.data(), shown.c_str(), shown.size() + 1);
        if (!platform::defaultChooseSaveFile(buffer.data(), buffer.size())) return 0;
        std::memcpy(path, buffer.data(), std::strlen(buffer.data()) + 1);
        return 1;
    } catch (...) {
        return 0;
    }
}

void KODRA_CALL reportProgress(void*, long long done, long long total) {
    if (progress.receiver) progress.receiver(progress.context, done, total);
}

}  // namespace

void installLibraryDialogs(ProgressReceiver receiver, void* context) {
    progress = Progress{receiver, context};
    KodraUserInterface userInterface{};
    userInterface.messageBox = &showMessage;
    userInterface.chooseSaveFile = &chooseFile;
    if (receiver) userInterface.progress = &reportProgress;
    SetUserInterface(&userInterface);
}

}  // namespace kodra::cli
