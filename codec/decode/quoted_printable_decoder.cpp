#include "decode/text_decoders.h"

#include <cstring>
#include <limits>

namespace kodra {
namespace {

int hexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

QuotedPrintableResult decodeQuotedPrintable(char* text, std::size_t size) noexcept {
    std::size_t read = 0;
    std::size_t write = 0;
    while (read < size) {
        // The literal run up to the next "=" moves in one piece (not at all until the
        // first escape has shortened the text).
        const void* found = std::memchr(text + read, '=', size - read);
        const std::size_t run = found ? static_cast<std::size_t>(static_cast<const char*>(found) - (text + read))
                                      : size - read;
        if (write != read) std::memmove(text + write, text + read, run);
        write += run;
        read += run;
        if (!found) break;
        const std::size_t left = size - read - 1;  // characters after the "="
        if (left == 0) return {write, write};     // soft break at the very end
        const char next = text[read + 1];
        if (next == '\r' || next == '\n') {  // soft line break: "=" and its line end vanish
            read += next == '\r' && left >= 2 && text[read + 2] == '\n' ? 3 : 2;
            continue;
        }
        if (left == 1) {  // a cut escape stays in place but is not counted
            text[write] = '=';
            text[write + 1] = next;
            return {write, write + 2};
        }
        const int high = hexValue(next);
        const int low = hexValue(text[read + 2]);
        if (high < 0 || low < 0) {  // not an escape: the "=" stays
            text[write++] = '=';
            ++read;
            continue;
        }
        text[write++] = static_cast<char>(high << 4 | low);
        read += 3;
    }
    return {write, write};
}

int decodeQuotedPrintableText(char* text) noexcept {
    const QuotedPrintableResult result = decodeQuotedPrintable(text, std::strlen(text));
    text[result.kept] = '\0';
    return result.length > static_cast<std::size_t>(std::numeric_limits<int>::max())
               ? 0
               : static_cast<int>(result.length);
}

}  // namespace kodra
