// The data-line decoder of the 6-bit encodings, shared by DecodeFile and DecodeBuffer:
// a scalar core for every table, and SSSE3/AVX2 kernels for the clean groups of the
// standard Base64 and UUencode alphabets, chosen at run time.
#pragma once

#include "decode/decode_tables.h"

#include <cstddef>
#include <cstdint>

namespace kodra {

// What a line does with a group that does not decode to three bytes.
enum class SixBitRules {
    // DecodeFile's UU family: trailing symbols lost in transit were blanks, zero bits,
    // and the line goes on; a group without two symbols of the alphabet first fails the line.
    fileUu,
    // DecodeFile's Base64: "=" padding may shorten the line's last group only; any other
    // short group fails the line.
    fileBase64,
    // DecodeBuffer's UU and XX: the first short group ends the data; the bytes the count
    // gives that group but it did not decode are zeros.
    bufferUu,
    // DecodeBuffer's Base64: as bufferUu, except that a short last group of the line
    // gives only the bytes it decoded.
    bufferBase64,
};

enum class SixBitStop {
    none,    // every group the count asks for was decoded
    ended,   // a short group ended the data after `bytes` (buffer rules)
    failed,  // the line is not data; `bytes` means nothing (file rules)
};

struct SixBitLineResult {
    std::size_t bytes = 0;     // decoded bytes at out
    std::size_t consumed = 0;  // symbols read through: the groups before the one that stopped
    SixBitStop stop = SixBitStop::none;
};

// Decodes the groups that carry `count` bytes, four symbols each from `symbols`, of which
// only the first `available` may be read (the rest count as not in the alphabet), into
// at most `count` bytes at `out`, treating short groups as `rules` says. Under the Base64
// rules `count` is a multiple of three.
SixBitLineResult decodeSixBitLine(const char* symbols, std::size_t available, std::size_t count,
                                  const DecodeTable& table, SixBitRules rules, std::uint8_t* out) noexcept;

// The byte count a Base64 line of `available` symbols at `symbols` asks decodeSixBitLine
// for: three per whole group, and three more when two or three symbols are left whose
// first two are in `table`, a last group written without its "=" padding (RFC 4648, 3.2),
// of which the Base64 rules then keep the one or two bytes it holds.
std::size_t base64LineCount(const char* symbols, std::size_t available, const DecodeTable& table) noexcept;

// The instruction sets the clean-group kernels can use, in increasing order.
enum class SimdLevel { scalar, ssse3, avx2 };

// Decodes the leading groups of up to `groups` whole groups of four symbols at `symbols`
// (all readable) whose symbols are all in `table`, three bytes each at `out`; returns how
// many. Stops at the first group with any other byte, so a line end stops it. The standard
// Base64 and UUencode alphabets take SIMD kernels.
std::size_t decodeCleanGroups(const char* symbols, std::size_t groups, const DecodeTable& table,
                              std::uint8_t* out) noexcept;
std::size_t decodeCleanGroupsAt(SimdLevel level, const char* symbols, std::size_t groups, const DecodeTable& table,
                                std::uint8_t* out) noexcept;

// The best level this processor supports.
SimdLevel supportedSimdLevel() noexcept;

// The level decodeSixBitLine uses: the supported one, lowered by the environment variable
// KODRA_SIMD (scalar, ssse3 or avx2) when set; read once.
SimdLevel activeSimdLevel() noexcept;

// decodeSixBitLine at a given level (lowered to the supported one), for tests and benchmarks.
SixBitLineResult decodeSixBitLineAt(SimdLevel level, const char* symbols, std::size_t available,
                                    std::size_t count, const DecodeTable& table, SixBitRules rules,
                                    std::uint8_t* out) noexcept;

}  // namespace kodra
