// Encode alphabets (6-bit value to character), derived from the decode tables so that
// both directions come from one source.
#pragma once

#include "decode/decode_tables.h"

#include <array>

namespace kodra {

using EncodeAlphabet = std::array<char, 64>;

// Walks the codes 0 to 127 upwards; where two characters share a value the higher
// code wins (so UUencode writes "`", never a space, for zero).
constexpr EncodeAlphabet deriveEncodeAlphabet(const DecodeTable& table) {
    EncodeAlphabet alphabet{};
    for (int code = 0; code < 128; ++code)
        if (table[static_cast<std::size_t>(code)] < 64)
            alphabet[table[static_cast<std::size_t>(code)]] = static_cast<char>(code);
    return alphabet;
}

inline constexpr EncodeAlphabet uuAlphabet = deriveEncodeAlphabet(uuTable);
inline constexpr EncodeAlphabet base64Alphabet = deriveEncodeAlphabet(base64Table);
inline constexpr EncodeAlphabet xxAlphabet = deriveEncodeAlphabet(xxTable);

static_assert(uuAlphabet[0] == '`' && uuAlphabet[1] == '!' && uuAlphabet[45] == 'M' && uuAlphabet[63] == '_');
static_assert(base64Alphabet[0] == 'A' && base64Alphabet[62] == '+' && base64Alphabet[63] == '/');
static_assert(xxAlphabet[0] == '+' && xxAlphabet[1] == '-' && xxAlphabet[45] == 'h' && xxAlphabet[63] == 'z');

}  // namespace kodra
