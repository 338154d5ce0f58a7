// Default dialogs on Windows: the system message box and the common save-file dialog,
// both owned by the active window.
#include "platform.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>

namespace kodra::platform {
namespace {

// The save dialog's buffer: proposals and choices of at most 1023 characters.
constexpr std::size_t kDialogPath = 1024;

UINT buttonStyle(Buttons buttons) noexcept {
    switch (buttons) {
        case Buttons::yesNoCancel: return MB_YESNOCANCEL;
        case Buttons::yesNo: return MB_YESNO;
        case Buttons::ok: break;
    }
    return MB_OK;
}

}  // namespace

Answer defaultMessageBox(const char* text, const char* caption, Buttons buttons) noexcept {
    switch (MessageBoxA(GetActiveWindow(), text, caption, buttonStyle(buttons))) {
        case IDOK: return Answer::ok;
        case IDYES: return Answer::yes;
        case IDNO: return Answer::no;
        default: return Answer::cancel;  // closed or failed: the answer that writes nothing
    }
}

bool defaultChooseSaveFile(char* path, std::size_t size) noexcept {
    if (size < 2) return false;
    char chosen[kDialogPath] = {};
    std::strncpy(chosen, path, sizeof chosen - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = "All Files\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = static_cast<DWORD>(sizeof chosen);
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_NOREADONLYRETURN;
    if (!GetSaveFileNameA(&dialog)) return false;
    const std::size_t length = std::strlen(chosen);
    if (length == 0 || length >= size) return false;  // a name that does not fit is no choice
    std::memcpy(path, chosen, length + 1);
    return true;
}

}  // namespace kodra::platform
