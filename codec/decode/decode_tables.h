// The decode tables of the 6-bit encodings: character code to 6-bit value, or
// kNotInAlphabet. Built at compile time from their alphabet strings; the encoders
// derive their alphabets from these same tables.
#pragma once

#include <array>
#include <cstdint>

namespace kodra {

using DecodeTable = std::array<std::uint8_t, 128>;
inline constexpr std::uint8_t kNotInAlphabet = 255;

namespace detail {

constexpr DecodeTable tableFromAlphabet(const char (&alphabet)[65]) {
    DecodeTable table{};
    for (auto& entry : table) entry = kNotInAlphabet;
    for (int value = 0; value < 64; ++value)
        table[static_cast<unsigned char>(alphabet[value])] = static_cast<std::uint8_t>(value);
    return table;
}

constexpr DecodeTable emptyTable() {
    DecodeTable table{};
    for (auto& entry : table) entry = kNotInAlphabet;
    return table;
}

}  // namespace detail

// RFC 2045 Base64; "=" is not in the alphabet.
inline constexpr DecodeTable base64Table = detail::tableFromAlphabet(
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");

// UUencode: codes 32 to 95, and "`" as a second zero (encoders write "`" for zero).
inline constexpr DecodeTable uuTable = [] {
    DecodeTable table = detail::tableFromAlphabet(
        " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_");
    table['`'] = 0;
    return table;
}();

// XXencode.
inline constexpr DecodeTable xxTable = detail::tableFromAlphabet(
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

static_assert(base64Table['A'] == 0 && base64Table['z'] == 51 && base64Table['/'] == 63);
static_assert(base64Table['='] == kNotInAlphabet && base64Table[0] == kNotInAlphabet);
static_assert(uuTable[' '] == 0 && uuTable['`'] == 0 && uuTable['_'] == 63 && uuTable['a'] == kNotInAlphabet);
static_assert(xxTable['+'] == 0 && xxTable['-'] == 1 && xxTable['z'] == 63 && xxTable['/'] == kNotInAlphabet);

// A character's value in table; codes of 128 and above are in no alphabet, whatever
// the signedness of char.
inline std::uint8_t lookupSymbol(const DecodeTable& table, char symbol) noexcept {
    const auto code = static_cast<unsigned char>(symbol);
    return code < 128 ? table[code] : kNotInAlphabet;
}

}  // namespace kodra
