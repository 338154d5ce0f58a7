// Encoders of whole 6-bit lines (full Base64, UUencode and XXencode lines) many at a
// time: SSSE3 and AVX2 kernels chosen at run time, and the scalar line encoder as the
// reference they must match byte for byte.
#pragma once

#include "decode/six_bit_lines.h"
#include "encode/line_encoders.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace kodra {

// Encodes `lines` full lines (format.bytesPerLine source bytes each) at `level`, lowered
// to the supported one, into out; returns the characters written, lines times
// sixBitLineSize(format, format.bytesPerLine). Reads no source byte beyond the lines.
std::size_t encodeFullSixBitLines(SimdLevel level, const std::uint8_t* source, std::size_t lines,
                                  const SixBitFormat& format, char* out) noexcept;

// encodeSixBitBuffer at a given level, for tests and benchmarks.
std::size_t encodeSixBitBufferAt(SimdLevel level, const std::uint8_t* source, std::size_t length,
                                 const SixBitFormat& format, char* out) noexcept;

// encodeSixBitFile at a given level, for tests and benchmarks.
bool encodeSixBitFileAt(SimdLevel level, std::FILE* source, std::FILE* output, const SixBitFormat& format,
                        ProgressMeter* progress = nullptr) noexcept;

}  // namespace kodra
