#include "binhex/binhex_stream_encoder.h"

#include "binhex/binhex_alphabet.h"
#include "binhex/crc16_xmodem.h"

namespace kodra {

void BinHexStreamEncoder::putValue(unsigned value, char*& out) noexcept {
    *out++ = kBinHexAlphabet[value & 63u];
    if (++column_ == kLineLength) {
        *out++ = '\r';
        *out++ = '\n';
        column_ = 0;
    }
}

std::size_t BinHexStreamEncoder::encode(const std::uint8_t* bytes, std::size_t n, char* out) noexcept {
    char* o = out;
    const auto emit = [&](unsigned value) { putValue(value, o); };
    const auto toSixBit = [&](std::uint8_t coded) { sixBit_.push(coded, emit); };
    for (std::size_t i = 0; i < n; ++i) {
        if (accumulate_) crc_ = updateCrc16Xmodem(crc_, bytes[i]);
        runs_.push(bytes[i], toSixBit);
    }
    return static_cast<std::size_t>(o - out);
}

std::size_t BinHexStreamEncoder::finish(char* out) noexcept {
    char* o = out;
    const auto emit = [&](unsigned value) { putValue(value, o); };
    runs_.endRun([&](std::uint8_t coded) { sixBit_.push(coded, emit); });
    sixBit_.finish(emit);
    *o++ = ':';
    *o++ = '\r';
    *o++ = '\n';
    return static_cast<std::size_t>(o - out);
}

}  // namespace kodra
