// Bytes as a quoted C-style literal, for "got X, want Y" messages about text that may not
// be printable or UTF-8.
#pragma once

#include <string>

namespace kodra::testing {

// U+FFFD, the replacement character, in UTF-8.
inline const std::string kReplacementCharacter = "\xEF\xBF\xBD";

// text quoted, every byte outside printable ASCII (and "\") written as \xNN.
inline std::string shown(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += digits[byte >> 4];
            out += digits[byte & 0x0F];
        }
    }
    return "\"" + out + "\"";
}

}  // namespace kodra::testing
