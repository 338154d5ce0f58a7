// UTF-8 and UTF-16 on Windows: paths inside the library are UTF-8, the system's wide
// functions take UTF-16. Used by the win32 backend files only.
#pragma once

#include <string>
#include <string_view>

namespace kodra::platform {

// A UTF-8 path as the UTF-16 the wide file functions take. get() is null when the path
// is null, not UTF-8 or memory is short, so that a caller fails cleanly instead of naming
// some other file.
class WidePath {
public:
    explicit WidePath(const char* utf8) noexcept;

    const wchar_t* get() const noexcept { return valid_ ? text_.c_str() : nullptr; }
    explicit operator bool() const noexcept { return valid_; }

private:
    std::wstring text_;
    bool valid_ = false;
};

// text as UTF-16 in wide. With strict, false when it is not UTF-8; otherwise every byte
// that begins no UTF-8 sequence becomes U+FFFD (for text that is only shown). False also
// when memory is short.
bool utf8ToWide(std::string_view text, std::wstring& wide, bool strict) noexcept;

// wide (UTF-16) as UTF-8 in utf8. False when it holds an unpaired surrogate (a name no
// UTF-8 path could reach again) or memory is short.
bool wideToUtf8(std::wstring_view wide, std::string& utf8) noexcept;

}  // namespace kodra::platform
