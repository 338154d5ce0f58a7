// The classic exports' text on Windows: the ANSI code page of the narrow file functions
// (the OEM one when the process switched them), converted to and from UTF-8 through UTF-16.
#include "platform.h"
#include "platform/win32_wide_text.h"

#include <windows.h>

#include <climits>

namespace kodra::platform {
namespace {

// The code page the narrow file functions read paths in.
UINT ansiCodePage() noexcept { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

// No ANSI code page spells a character beyond U+FFFF: each surrogate pair becomes one
// U+FFFD, so that it turns into one "_" like any other character without a form.
void foldSupplementaryCharacters(std::wstring& wide) noexcept {
    std::size_t to = 0;
    for (std::size_t from = 0; from < wide.size(); ++from, ++to) {
        const wchar_t c = wide[from];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && from + 1 < wide.size() && wide[from + 1] >= 0xDC00 &&
                          wide[from + 1] <= 0xDFFF;
        wide[to] = pair ? L'\xFFFD' : c;
        if (pair) ++from;
    }
    wide.resize(to);
}

}  // namespace

bool ansiToUtf8(std::string_view ansi, std::string& utf8) noexcept {
    utf8.clear();
    if (ansi.empty()) return true;
    if (ansi.size() > INT_MAX) return false;
    const UINT codePage = ansiCodePage();
    const int length = static_cast<int>(ansi.size());
    const int needed = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, ansi.data(), length, nullptr, 0);
    if (needed <= 0) return false;
    std::wstring wide;
    try {
        wide.resize(static_cast<std::size_t>(needed));
    } catch (...) {
        return false;
    }
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, ansi.data(), length, &wide[0], needed) != needed)
        return false;
    return wideToUtf8(wide, utf8);
}

bool utf8ToAnsi(std::string_view utf8, std::string& ansi) noexcept {
    ansi.clear();
    std::wstring wide;
    if (!utf8ToWide(utf8, wide, false)) return false;
    if (wide.empty()) return true;
    const UINT codePage = ansiCodePage();
    // Stray bytes came as U+FFFD: they are "_" on every code page, a UTF-8 one included.
    for (wchar_t& c : wide)
        if (c == L'\xFFFD') c = L'_';
    if ((codePage == CP_ACP ? GetACP() : GetOEMCP()) == CP_UTF8) return wideToUtf8(wide, ansi);
    foldSupplementaryCharacters(wide);
    if (wide.size() > INT_MAX) return false;
    const int length = static_cast<int>(wide.size());
    // No best fit: it could turn a character into a separator or a dot (U+FF0F into "/").
    const int needed =
        WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, "_", nullptr);
    if (needed <= 0) return false;
    try {
        ansi.resize(static_cast<std::size_t>(needed));
    } catch (...) {
        return false;
    }
    return WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, &ansi[0], needed, "_",
                               nullptr) == needed;
}

}  // namespace kodra::platform
