#include "printable_text.h"

#include <cstddef>

namespace kodra::cli {
namespace {

// Length of the valid UTF-8 sequence starting at text[at] (shortest form, no surrogates,
// at most U+10FFFF), or 0 when none starts there.
std::size_t utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

void appendEscaped(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

}  // namespace

std::string printable(const std::string& text, bool keepLineFeeds) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            if ((byte < 0x20 && !(keepLineFeeds && byte == '\n')) || byte == 0x7F) appendEscaped(out, byte);
            else out += static_cast<char>(byte);
            ++at;
            continue;
        }
        const std::size_t length = utf8Length(text, at);
        if (length == 0) {
            // A byte that begins no UTF-8 character: escaped, so that what is shown is UTF-8.
            appendEscaped(out, byte);
            ++at;
        } else if (byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F) {
            // U+0080 to U+009F: C1 controls in UTF-8 form, which some terminals obey.
            appendEscaped(out, byte);
            appendEscaped(out, static_cast<unsigned char>(text[at + 1]));
            at += 2;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out;
}

}  // namespace kodra::cli
