// The yEnc data coder (yEnc 1.3): a byte is written as (byte + 42) mod 256, and the
// critical results (NUL, LF, CR, "=") as "=" followed by the result + 64.
#pragma once

#include "decode/six_bit_lines.h"

#include <cstddef>

namespace kodra {

// What a chunk of yEnc data leaves for the next one.
struct YencDecodeState {
    bool escaped = false;  // the last chunk ended in "="
};

// Decodes size characters of yEnc data at in into out (room: size bytes) and returns the
// bytes written. CR and LF are skipped wherever they stand, so whole lines with their
// line ends may be given, in chunks cut anywhere. A line end after "=" leaves the escape
// pending for the next character.
std::size_t yencDecode(YencDecodeState& state, const char* in, std::size_t size, unsigned char* out) noexcept;

// yencDecode one character at a time: the oracle of the fast paths.
std::size_t yencDecodeScalar(YencDecodeState& state, const char* in, std::size_t size, unsigned char* out) noexcept;

// yencDecode with the clean runs taken eight bytes at a time in a machine word (scalar
// level), sixteen with SSE2 (ssse3 level) or thirty-two with AVX2; the level is lowered to
// the supported one. For tests and benchmarks.
std::size_t yencDecodeAt(SimdLevel level, YencDecodeState& state, const char* in, std::size_t size,
                         unsigned char* out) noexcept;

}  // namespace kodra
