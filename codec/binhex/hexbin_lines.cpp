#include "binhex/hexbin_lines.h"

namespace kodra {
namespace {

int upperHexDigit(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

unsigned compressedValue(std::string_view line, std::size_t index) noexcept {
    const unsigned code = index < line.size() ? static_cast<unsigned char>(line[index]) : ' ';
    return (code - 32u) & 63u;
}

}  // namespace

int decodeHexBinPlainLine(std::string_view line, std::uint8_t* out) noexcept {
    int count = 0;
    for (std::size_t i = 0; i < line.size(); i += 2) {
        const int high = upperHexDigit(line[i]);
        const int low = i + 1 < line.size() ? upperHexDigit(line[i + 1]) : -1;
        if (high < 0 || low < 0) return -1;
        out[count++] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return count;
}

int decodeHexBinCompressedLine(std::string_view line, std::uint8_t* out) noexcept {
    const auto decodeGroupAt = [&](std::size_t group, std::uint8_t bytes[3]) {
        const std::size_t at = 4 * group;
        const unsigned v0 = compressedValue(line, at), v1 = compressedValue(line, at + 1);
        const unsigned v2 = compressedValue(line, at + 2), v3 = compressedValue(line, at + 3);
        bytes[0] = static_cast<std::uint8_t>((v0 << 2 | v1 >> 4) & 0xFFu);
        bytes[1] = static_cast<std::uint8_t>((v1 << 4 | v2 >> 2) & 0xFFu);
        bytes[2] = static_cast<std::uint8_t>((v2 << 6 | v3) & 0xFFu);
    };
    std::uint8_t bytes[3];
    decodeGroupAt(0, bytes);
    const unsigned count = bytes[0];
    // The count leads the first group; the data fills it and (count + 3) / 3 groups in all.
    unsigned produced = 0;
    for (std::size_t group = 0; group < (count + 3) / 3; ++group) {
        if (group > 0) decodeGroupAt(group, bytes);
        for (std::size_t i = group == 0 ? 1 : 0; i < 3 && produced < count; ++i) out[produced++] = bytes[i];
    }
    return static_cast<int>(count);
}

}  // namespace kodra
