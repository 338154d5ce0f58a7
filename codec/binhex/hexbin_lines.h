// The fork lines and checksums of the older hexadecimal BinHex format, over caller
// buffers. Lines are given without their line end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kodra {

// Room a decoded fork line may need.
inline constexpr std::size_t kMaxHexBinLineBytes = 512;

// Decodes an uncompressed fork line: pairs of upper-case hexadecimal digits, high digit
// first. Returns the bytes written to out, or -1 when a pair holds any other character
// or the line ends inside a pair.
int decodeHexBinPlainLine(std::string_view line, std::uint8_t* out) noexcept;

// Decodes a compressed fork line: groups of four characters worth (code - 32) mod 64,
// three bytes a group, the first byte counting the data bytes that follow; missing
// characters count as spaces. Returns that count (0 to 255), the bytes written to out.
int decodeHexBinCompressedLine(std::string_view line, std::uint8_t* out) noexcept;

// Running checks of both forks: the byte sum of the uncompressed form and the rotating
// sum of the compressed form.
struct HexBinChecksums {
    std::uint8_t sum = 0;
    std::uint16_t rotating = 0;

    void add(std::uint8_t byte) noexcept {
        sum = static_cast<std::uint8_t>(sum + byte);
        const unsigned s = (rotating + byte) & 0xFFFFu;
        rotating = static_cast<std::uint16_t>(((s << 3) | (s >> 13)) & 0xFFFFu);
    }
};

}  // namespace kodra
