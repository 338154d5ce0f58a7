// Text in a named charset, as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kodra {

// The name the converter is given for a MIME charset name: lower case, without an RFC 2231
// language suffix ("utf-8*en") or surrounding blanks and quotes, common aliases folded
// (latin1 -> iso-8859-1, ks_c_5601-1987 -> cp949, x-sjis -> shift_jis, ...). Empty when
// the name holds characters no charset name has.
std::string canonicalCharsetName(std::string_view charset);

// bytes, written in charset (a MIME charset name, any case), as well-formed UTF-8.
// An invalid sequence becomes U+FFFD; an unknown charset keeps UTF-8 input as it is and
// turns every other non-ASCII byte into U+FFFD. Never returns bytes that are not UTF-8.
std::string charsetToUtf8(std::string_view charset, std::string_view bytes);

}  // namespace kodra
