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
