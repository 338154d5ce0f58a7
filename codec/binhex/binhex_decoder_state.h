// The decoder's state between a BinHex header and its forks. It is library-wide because
// the scanner reads the header and the decoding driver decodes the forks in separate
// calls, and reset at every header.
#pragma once

#include "binhex/binhex_header_record.h"
#include "binhex/binhex_six_bit.h"
#include "binhex/run_length.h"

#include <cstdint>
#include <cstdio>

namespace kodra {

enum class BinHexVariant { none, binHex40, hexBin };

struct BinHexDecoderState {
    BinHexVariant variant = BinHexVariant::none;
    SixBitDecoder sixBit;
    RunLengthDecoder runs;
    std::uint16_t crc = 0;
    std::uint64_t written = 0;
    BinHexHeader header{};  // 4.0: the last accepted header; older format: type and creator
};

// The one instance.
BinHexDecoderState& binHexDecoderState() noexcept;

// Resets everything a header starts afresh, leaving the variant to the caller.
void resetBinHexDecoderState(BinHexDecoderState& state) noexcept;

// The next byte of a 4.0 body after the 6-bit and run-length layers, read from input
// (CR, LF and spaces skipped; ":" or any character outside the alphabet ends the data);
// -1 at the end. Not added to the CRC.
int readBinHexByte(BinHexDecoderState& state, std::FILE* input) noexcept;

// The fork decoders behind decodeBinHexForks, one per variant.
int decodeBinHex40Fork(BinHexDecoderState& state, std::FILE* input, std::FILE* output) noexcept;
int decodeHexBinForks(BinHexDecoderState& state, std::FILE* input, std::FILE* output,
                      char* lineBuffer) noexcept;

}  // namespace kodra
