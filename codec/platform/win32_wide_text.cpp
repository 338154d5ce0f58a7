// UTF-8 to UTF-16 and back through the system's own converters.
#include "platform/win32_wide_text.h"

#include <windows.h>

#include <climits>

namespace kodra::platform {

bool utf8ToWide(std::string_view text, std::wstring& wide, bool strict) noexcept {
    wide.clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX) return false;
    const int length = static_cast<int>(text.size());
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int needed = MultiByteToWideChar(CP_UTF8, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) return false;
    try {
        wide.resize(static_cast<std::size_t>(needed));
    } catch (...) {
        return false;
    }
    return MultiByteToWideChar(CP_UTF8, flags, text.data(), length, &wide[0], needed) == needed;
}

bool wideToUtf8(std::wstring_view wide, std::string& utf8) noexcept {
    utf8.clear();
    if (wide.empty()) return true;
    if (wide.size() > INT_MAX) return false;
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return false;
    try {
        utf8.resize(static_cast<std::size_t>(needed));
    } catch (...) {
        return false;
    }
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, &utf8[0], needed, nullptr,
                               nullptr) == needed;
}

WidePath::WidePath(const char* utf8) noexcept {
    // A NUL inside cannot occur: the path ends at its first one.
    valid_ = utf8 && utf8ToWide(utf8, text_, true);
}

}  // namespace kodra::platform
