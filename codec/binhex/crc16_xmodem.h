// CRC-16/XMODEM (polynomial 0x1021, initial value 0, not reflected, no final XOR), the
// check of BinHex 4.0 headers and forks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kodra {

namespace detail {

constexpr std::array<std::uint16_t, 256> crc16XmodemTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned index = 0; index < 256; ++index) {
        unsigned crc = index << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000u) ? (crc << 1) ^ 0x1021u : crc << 1;
        table[index] = static_cast<std::uint16_t>(crc & 0xFFFFu);
    }
    return table;
}

inline constexpr std::array<std::uint16_t, 256> kCrc16XmodemTable = crc16XmodemTable();

}  // namespace detail

// The CRC after adding one more byte to a running crc.
constexpr std::uint16_t updateCrc16Xmodem(std::uint16_t crc, std::uint8_t byte) noexcept {
    const unsigned index = ((crc >> 8) ^ byte) & 0xFFu;
    return static_cast<std::uint16_t>((static_cast<unsigned>(crc) << 8) ^ detail::kCrc16XmodemTable[index]);
}

// The CRC of n bytes, continuing from crc.
constexpr std::uint16_t crc16Xmodem(const std::uint8_t* bytes, std::size_t n,
                                    std::uint16_t crc = 0) noexcept {
    for (std::size_t i = 0; i < n; ++i) crc = updateCrc16Xmodem(crc, bytes[i]);
    return crc;
}

// The CRC of a text's bytes, continuing from crc.
constexpr std::uint16_t crc16Xmodem(std::string_view text, std::uint16_t crc = 0) noexcept {
    for (const char c : text) crc = updateCrc16Xmodem(crc, static_cast<std::uint8_t>(c));
    return crc;
}

static_assert(crc16Xmodem("123456789") == 0x31C3, "the published check value");

}  // namespace kodra
