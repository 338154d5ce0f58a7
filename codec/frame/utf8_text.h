// UTF-8 forms of names found in message content.
#pragma once

#include <string>
#include <string_view>

namespace kodra {

// True when text is well-formed UTF-8 (RFC 3629: no overlong forms, surrogates or code
// points past U+10FFFF).
bool isUtf8(std::string_view text) noexcept;

// text itself when it is UTF-8, else its bytes read as Latin-1 and written as UTF-8.
std::string utf8OrLatin1(std::string_view text);

}  // namespace kodra
