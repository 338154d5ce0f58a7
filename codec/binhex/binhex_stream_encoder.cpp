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
    // In slices: the run-length stage fills coded (at most two bytes per byte, plus a
    // pending run's three), then the 6-bit stage turns whole groups into whole values.
    constexpr std::size_t kSlice = 1024;
    std::uint8_t coded[2 * kSlice + 8];
    char* o = out;
    const auto emit = [&](unsigned value) { putValue(value, o); };
    for (std::size_t start = 0; start < n; start += kSlice) {
        const std::size_t end = n - start < kSlice ? n : start + kSlice;
        std::size_t count = 0;
        const auto collect = [&](std::uint8_t byte) { coded[count++] = byte; };
        for (std::size_t i = start; i < end; ++i) {
            if (accumulate_) crc_ = updateCrc16Xmodem(crc_, bytes[i]);
            runs_.push(bytes[i], collect);
        }
        std::size_t i = 0;
        while (i < count && sixBit_.pending != 0) sixBit_.push(coded[i++], emit);
        for (; i + 3 <= count; i += 3) {
            const unsigned b0 = coded[i], b1 = coded[i + 1], b2 = coded[i + 2];
            const unsigned values[4] = {b0 >> 2, (b0 & 3u) << 4 | b1 >> 4, (b1 & 15u) << 2 | b2 >> 6, b2 & 63u};
            if (column_ + 4 < kLineLength) {
                for (const unsigned value : values) *o++ = kBinHexAlphabet[value];
                column_ += 4;
            } else {
                for (const unsigned value : values) putValue(value, o);
            }
        }
        for (; i < count; ++i) sixBit_.push(coded[i], emit);
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
