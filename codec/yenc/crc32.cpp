#include "yenc/crc32.h"

#include <array>

namespace kodra {
namespace {

using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

// Slicing-by-8: row 0 is the classic byte table of the reflected polynomial; row k
// advances a byte's remainder through k more zero bytes, so eight table reads fold
// eight input bytes at once.
constexpr CrcTables makeCrcTables() {
    CrcTables tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::size_t n = 0; n < 256; ++n) {
            const std::uint32_t prev = tables[k - 1][n];
            tables[k][n] = tables[0][prev & 0xFFu] ^ (prev >> 8);
        }
    }
    return tables;
}

constexpr CrcTables kCrcTables = makeCrcTables();
static_assert(kCrcTables[0][1] == 0x77073096u, "CRC-32 byte table");
static_assert(kCrcTables[0][255] == 0x2D02EF8Du, "CRC-32 byte table");

inline std::uint32_t loadLittle32(const unsigned char* at) noexcept {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) noexcept {
    const auto* at = static_cast<const unsigned char*>(data);
    const auto& t = kCrcTables;
    std::uint32_t c = ~crc;
    for (; size >= 8; size -= 8, at += 8) {
        const std::uint32_t low = loadLittle32(at) ^ c;
        const std::uint32_t high = loadLittle32(at + 4);
        c = t[7][low & 0xFFu] ^ t[6][(low >> 8) & 0xFFu] ^ t[5][(low >> 16) & 0xFFu] ^ t[4][low >> 24] ^
            t[3][high & 0xFFu] ^ t[2][(high >> 8) & 0xFFu] ^ t[1][(high >> 16) & 0xFFu] ^ t[0][high >> 24];
    }
    for (; size > 0; --size, ++at) c = t[0][(c ^ *at) & 0xFFu] ^ (c >> 8);
    return ~c;
}

namespace {

// Appending zero bits to a message is linear over GF(2): a 32x32 bit matrix, one row per
// input bit, applied to the CRC register.
using Gf2Matrix = std::array<std::uint32_t, 32>;

std::uint32_t times(const Gf2Matrix& matrix, std::uint32_t vector) noexcept {
    std::uint32_t sum = 0;
    for (std::size_t row = 0; vector != 0; vector >>= 1, ++row)
        if (vector & 1u) sum ^= matrix[row];
    return sum;
}

Gf2Matrix squared(const Gf2Matrix& matrix) noexcept {
    Gf2Matrix result{};
    for (std::size_t row = 0; row < 32; ++row) result[row] = times(matrix, matrix[row]);
    return result;
}

}  // namespace

std::uint32_t crc32Combine(std::uint32_t crcA, std::uint32_t crcB, std::uint64_t sizeB) noexcept {
    if (sizeB == 0) return crcA;
    // The operator for one zero bit, then squared up to one zero byte (8 bits).
    Gf2Matrix zeros{};
    zeros[0] = 0xEDB88320u;
    for (std::size_t row = 1; row < 32; ++row) zeros[row] = 1u << (row - 1);
    zeros = squared(squared(squared(zeros)));
    // Apply 2^k zero bytes for every bit k set in sizeB.
    for (; sizeB != 0; sizeB >>= 1) {
        if (sizeB & 1u) crcA = times(zeros, crcA);
        zeros = squared(zeros);
    }
    return crcA ^ crcB;
}

}  // namespace kodra
