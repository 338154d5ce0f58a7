// BinHex 4.0 and the older hexadecimal BinHex format: the detector, header readers and
// fork decoder that the section scanner and the decoding driver call, and the 4.0
// encoder behind EncodeFile. The decoder's state between a header and its forks is
// library-wide, like the rest of the library's state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace kodra {

// Size a BinHex header's name buffer must have.
inline constexpr std::size_t kBinHexNameBufferSize = 260;

// Looks for a BinHex section starting at `line` (just read by the scanner; the stream is
// positioned after it). Returns 0 when line does not begin with "(This file"; 1 for
// BinHex 4.0, the stream positioned after the ":" that opens the data; 2 for the older
// format, the stream positioned at its "#" line; -1 when the input ended first.
int detectBinHex(const char* line, std::FILE* input) noexcept;

// Reads a BinHex 4.0 header after detectBinHex returned 1 and resets the decoder state.
// Returns 1 when its CRC matches: name, of at least kBinHexNameBufferSize bytes, then
// holds the file name as stored (at most 255 bytes and a NUL), not yet made safe. Else
// 0, with name unchanged.
int readBinHexHeader(std::FILE* input, char* name) noexcept;

// Reads the "#" line of the older format into lineBuffer (at least 512 bytes; the line
// end removed) after detectBinHex returned 2 and resets the decoder state. Returns 1
// when a line was read, 0 at end of input; name is left unchanged (the format has none).
int readHexBinHeader(std::FILE* input, char* name, char* lineBuffer) noexcept;

// Decodes the data fork of the section whose header was read last into output; with a
// null output, or output == input, the forks are only verified and nothing is written.
// lineBuffer holds at least 512 bytes. Returns 1 on success, 0 when the input ends
// early, a line is malformed, a CRC or checksum does not match, a write fails, the 4.0
// data fork length has its top bit set (nothing is written), or no header was read
// since the last call.
int decodeBinHexForks(std::FILE* input, std::FILE* output, char* lineBuffer) noexcept;

// Writes the BinHex 4.0 body of a part: banner, encoded header (name cut to 63 bytes,
// type "IBM?", creator "KDRA"), exactly dataLength bytes of source as the data fork,
// CRCs and the closing ":" line. Returns 1; 0 before writing anything when the working
// buffer cannot be obtained or dataLength is 2^31 or more; 0 when a write fails, or
// when source ends early (the stream is still completed, padded with zero bytes). Both
// files stay open.
int encodeBinHexFile(const char* name, std::uint64_t dataLength, std::FILE* source,
                     std::FILE* output) noexcept;

}  // namespace kodra
