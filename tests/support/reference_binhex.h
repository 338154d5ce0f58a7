// The stream BinHex decoder the library used before the line-source reader: detector,
// header readers and fork decoder over stdio, keeping one decoder state between a header
// and its forks. Kept as the oracle the reader is checked against.
#pragma once

#include "binhex/binhex_header_record.h"

#include <cstddef>
#include <cstdio>

namespace kodra::reference {

// Size a header's name buffer must have.
inline constexpr std::size_t kBinHexNameBufferSize = 260;

enum class BinHexVariant { none, binHex40, hexBin };

// Looks for a BinHex section starting at `line` (just read; the stream is positioned after
// it). Returns 0 when line does not begin with "(This file"; 1 for BinHex 4.0, the stream
// positioned after the ":" that opens the data; 2 for the older format, the stream
// positioned at its "#" line; -1 when the input ended first.
int detectBinHex(const char* line, std::FILE* input) noexcept;

// Reads a BinHex 4.0 header after detectBinHex returned 1 and resets the decoder state.
// Returns 1 when its CRC matches: name, of at least kBinHexNameBufferSize bytes, then
// holds the stored file name. Else 0, with name unchanged.
int readBinHexHeader(std::FILE* input, char* name) noexcept;

// Reads the "#" line of the older format into lineBuffer (at least 512 bytes; the line
// end removed) after detectBinHex returned 2 and resets the decoder state. Returns 1
// when a line was read, 0 at end of input; name is left unchanged (the format has none).
int readHexBinHeader(std::FILE* input, char* name, char* lineBuffer) noexcept;

// Decodes the data fork of the section whose header was read last into output; with a
// null output, or output == input, the forks are only verified. lineBuffer holds at least
// 512 bytes. Returns 1 on success, 0 when the input ends early, a line is malformed, a
// CRC or checksum does not match, a write fails, the 4.0 data fork length has its top bit
// set, or no header was read since the last call.
int decodeBinHexForks(std::FILE* input, std::FILE* output, char* lineBuffer) noexcept;

// The last header read: for 4.0 the whole record, for the older format type and creator.
const BinHexHeader& binHexHeader() noexcept;

}  // namespace kodra::reference
