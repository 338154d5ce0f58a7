// Text in a named charset, as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kodra {

// bytes, written in charset (a MIME charset name, any case), as well-formed UTF-8.
// An invalid sequence becomes U+FFFD; an unknown charset keeps UTF-8 input as it is and
// turns every other non-ASCII byte into U+FFFD. Never returns bytes that are not UTF-8.
std::string charsetToUtf8(std::string_view charset, std::string_view bytes);

}  // namespace kodra
