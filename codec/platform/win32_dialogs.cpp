// Default dialogs on Windows: the system message box and the common save-file dialog,
// both owned by the active window, shown through the wide-character functions.
#include "platform.h"
#include "platform/win32_wide_text.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>

namespace kodra::platform {
namespace {

// The save dialog's buffer: proposals and choices of at most 1023 UTF-16 units.
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
    // Only shown: a byte that is not UTF-8 is shown as U+FFFD rather than losing the message.
    std::wstring wideText, wideCaption;
    if (!utf8ToWide(text ? text : "", wideText, false) || !utf8ToWide(caption ? caption : "", wideCaption, false))
        return Answer::cancel;
    switch (MessageBoxW(GetActiveWindow(), wideText.c_str(), wideCaption.c_str(), buttonStyle(buttons))) {
        case IDOK: return Answer::ok;
        case IDYES: return Answer::yes;
        case IDNO: return Answer::no;
        default: return Answer::cancel;  // closed or failed: the answer that writes nothing
    }
}

bool defaultChooseSaveFile(char* path, std::size_t size) noexcept {
    if (size < 2) return false;
    std::wstring proposal;
    if (!utf8ToWide(path, proposal, false)) return false;
    wchar_t chosen[kDialogPath] = {};
    proposal.copy(chosen, kDialogPath - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = L"All Files\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = static_cast<DWORD>(kDialogPath);
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_NOREADONLYRETURN;
    if (!GetSaveFileNameW(&dialog)) return false;
    std::string utf8;
    if (!wideToUtf8(chosen, utf8)) return false;
    if (utf8.empty() || utf8.size() >= size) return false;  // a name that does not fit is no choice
    std::memcpy(path, utf8.c_str(), utf8.size() + 1);
    return true;
}

}  // namespace kodra::platform
