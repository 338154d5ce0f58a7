// The BinHex 4.0 alphabet: one string that the encoder writes from and the decoder's
// table is built from, so both directions agree by construction.
#pragma once

#include "decode/decode_tables.h"

#include <cstddef>

namespace kodra {

// Character of each 6-bit value: "!" is 0, "r" is 63.
inline constexpr char kBinHexAlphabet[] =
    "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
static_assert(sizeof kBinHexAlphabet == 65, "64 characters and the NUL");

// Character code to 6-bit value, kNotInAlphabet elsewhere.
inline constexpr DecodeTable binHexTable = detail::tableFromAlphabet(kBinHexAlphabet);

namespace detail {

// The table holds exactly the 64 characters of the alphabet, each with its position.
constexpr bool binHexTableIsInverse() {
    int members = 0;
    for (std::size_t code = 0; code < binHexTable.size(); ++code)
        if (binHexTable[code] != kNotInAlphabet) ++members;
    for (int value = 0; value < 64; ++value)
        if (binHexTable[static_cast<unsigned char>(kBinHexAlphabet[value])] != value) return false;
    return members == 64;
}

}  // namespace detail

static_assert(detail::binHexTableIsInverse());
static_assert(binHexTable['!'] == 0 && binHexTable['r'] == 63 && binHexTable[':'] == kNotInAlphabet);
static_assert(binHexTable[' '] == kNotInAlphabet && binHexTable['s'] == kNotInAlphabet);

}  // namespace kodra
