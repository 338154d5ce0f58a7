#include "decode/text_decoders.h"

#include <array>
#include <cstring>
#include <limits>

namespace kodra {
namespace {

// Hex digit values of either case by character code; -1 for every other code.
constexpr std::array<signed char, 256> kHexValue = [] {
    std::array<signed char, 256> values{};
    for (auto& value : values) value = -1;
    for (int digit = 0; digit < 10; ++digit) values[static_cast<std::size_t>('0' + digit)] = static_cast<signed char>(digit);
    for (int digit = 0; digit < 6; ++digit) {
        values[static_cast<std::size_t>('A' + digit)] = static_cast<signed char>(10 + digit);
        values[static_cast<std::size_t>('a' + digit)] = static_cast<signed char>(10 + digit);
    }
    return values;
}();
static_assert(kHexValue['0'] == 0 && kHexValue['9'] == 9 && kHexValue['a'] == 10 && kHexValue['F'] == 15 &&
              kHexValue['G'] == -1 && kHexValue['='] == -1);

int hexValue(char c) noexcept { return kHexValue[static_cast<unsigned char>(c)]; }

}  // namespace

QuotedPrintableResult decodeQuotedPrintable(char* text, std::size_t size) noexcept {
    std::size_t read = 0;
    std::size_t write = 0;
    while (read < size) {
        // The literal run up to the next "=" is found by memchr and moves in one piece (not
        // at all until the first escape has shortened the text).
        if (text[read] != '=') {
            const void* found = std::memchr(text + read + 1, '=', size - read - 1);
            const std::size_t end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - text) : size;
            if (write != read) std::memmove(text + write, text + read, end - read);
            write += end - read;
            read = end;
            if (read == size) break;
        }
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
