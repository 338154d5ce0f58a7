// The BinHex 4.0 byte pipeline of the encoder over caller buffers: CRC, run-length
// stage, 6-bit stage and 64-character lines. The file driver only moves buffers.
#pragma once

#include "binhex/binhex_six_bit.h"
#include "binhex/run_length.h"

#include <cstddef>
#include <cstdint>

namespace kodra {

// The banner and opening colon that start every stream.
inline constexpr char kBinHexBanner[] = "(This file must be converted with BinHex 4.0)\r\n:";

class BinHexStreamEncoder {
public:
    // Room the caller leaves in out for each byte passed to encode, and for finish.
    static constexpr std::size_t kMaxCharsPerByte = 10;
    static constexpr std::size_t kMaxFinishChars = 16;
    static constexpr std::size_t kLineLength = 64;

    // While on (the initial state), bytes passed to encode are added to the CRC.
    void setCrcAccumulation(bool on) noexcept { accumulate_ = on; }
    void resetCrc() noexcept { crc_ = 0; }
    std::uint16_t crc() const noexcept { return crc_; }

    // Encodes n bytes into out, which has room for kMaxCharsPerByte * n characters;
    // returns the characters written.
    std::size_t encode(const std::uint8_t* bytes, std::size_t n, char* out) noexcept;

    // Ends the pending run and the last group and writes the closing ":" and CR LF into
    // out (room for kMaxFinishChars); returns the characters written.
    std::size_t finish(char* out) noexcept;

private:
    void putValue(unsigned value, char*& out) noexcept;

    RunLengthEncoder runs_;
    SixBitEncoder sixBit_;
    std::size_t column_ = 1;  // the banner's colon opens the first line
    std::uint16_t crc_ = 0;
    bool accumulate_ = true;
};

}  // namespace kodra
