// The group decoder of the 6-bit encodings (the hot loop of every decode).
#pragma once

#include "decode/decode_tables.h"

#include <cstddef>
#include <cstdint>

namespace kodra {

// Decodes the group of four symbols at `symbols`, of which only the first `available`
// may be read (positions beyond count as not in the alphabet), into up to three bytes
// at `out`. Returns the bytes produced: 0 when the first or second symbol is not in
// the alphabet or any symbol has a code of 128 or more; 1 or 2 when the third or
// fourth is not in the alphabet ("=" padding ends a group early); else 3.
inline int decodeGroup(const char* symbols, std::size_t available, std::uint8_t* out,
                       const DecodeTable& table) noexcept {
    if (available >= 4) {
        // The common case, a whole group of ASCII symbols, without per-symbol branches.
        const auto c0 = static_cast<unsigned char>(symbols[0]), c1 = static_cast<unsigned char>(symbols[1]);
        const auto c2 = static_cast<unsigned char>(symbols[2]), c3 = static_cast<unsigned char>(symbols[3]);
        if ((c0 | c1 | c2 | c3) < 128) {
            const std::uint8_t v0 = table[c0], v1 = table[c1], v2 = table[c2], v3 = table[c3];
            if (v0 != kNotInAlphabet && v1 != kNotInAlphabet && v2 != kNotInAlphabet && v3 != kNotInAlphabet) {
                out[0] = static_cast<std::uint8_t>(v0 << 2 | v1 >> 4);
                out[1] = static_cast<std::uint8_t>(v1 << 4 | v2 >> 2);
                out[2] = static_cast<std::uint8_t>(v2 << 6 | v3);
                return 3;
            }
        }
    }
    std::uint8_t value[4];
    for (std::size_t i = 0; i < 4; ++i) {
        if (i >= available) {
            value[i] = kNotInAlphabet;
            continue;
        }
        const auto code = static_cast<unsigned char>(symbols[i]);
        if (code >= 128) return 0;
        value[i] = table[code];
    }
    if (value[0] == kNotInAlphabet || value[1] == kNotInAlphabet) return 0;
    out[0] = static_cast<std::uint8_t>(value[0] << 2 | value[1] >> 4);
    if (value[2] == kNotInAlphabet) return 1;
    out[1] = static_cast<std::uint8_t>(value[1] << 4 | value[2] >> 2);
    if (value[3] == kNotInAlphabet) return 2;
    out[2] = static_cast<std::uint8_t>(value[2] << 6 | value[3]);
    return 3;
}

}  // namespace kodra
