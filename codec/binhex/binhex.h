// The BinHex 4.0 encoder behind EncodeFile. Decoding goes through BinHexReader
// (binhex_reader.h).
#pragma once

#include <cstdint>
#include <cstdio>

namespace kodra {

// Writes the BinHex 4.0 body of a part: banner, encoded header (name cut to 63 bytes,
// type "IBM?", creator "KDRA"), exactly dataLength bytes of source as the data fork,
// CRCs and the closing ":" line. Returns 1; 0 before writing anything when the working
// buffer cannot be obtained or dataLength is 2^31 or more; 0 when a write fails, or
// when source ends early (the stream is still completed, padded with zero bytes). Both
// files stay open.
int encodeBinHexFile(const char* name, std::uint64_t dataLength, std::FILE* source,
                     std::FILE* output) noexcept;

}  // namespace kodra
