// The BinHex 4.0 run-length layer: 0x90 0x00 is a literal 0x90; 0x90 n (n from 1 to
// 255) says the byte before the marker occurs n times in total.
#pragma once

#include <cstdint>

namespace kodra {

inline constexpr std::uint8_t kRunLengthMarker = 0x90;

// Expands the layer one byte at a time; the state carries runs across calls, so a run
// may continue from one block (header, data fork, CRC) into the next.
struct RunLengthDecoder {
    std::uint8_t lastByte = 0;
    unsigned copiesOwed = 0;

    // The next expanded byte, pulling coded bytes from nextByte() (0 to 255, or -1 at
    // the end); -1 when the coded bytes end first.
    template <class NextByte>
    int next(NextByte&& nextByte) noexcept {
        if (copiesOwed > 0) {
            --copiesOwed;
            return lastByte;
        }
        for (;;) {
            const int byte = nextByte();
            if (byte < 0) return -1;
            if (byte != kRunLengthMarker) {
                lastByte = static_cast<std::uint8_t>(byte);
                return byte;
            }
            const int count = nextByte();
            if (count < 0) return -1;
            if (count == 0) {
                lastByte = kRunLengthMarker;
                return kRunLengthMarker;
            }
            if (count == 1) continue;  // a run of one adds nothing
            copiesOwed = static_cast<unsigned>(count - 2);
            return lastByte;
        }
    }
};

// Compresses byte by byte: runs of five or more equal bytes (up to 255) become the byte,
// 0x90 and the run's length; shorter runs stay literal; 0x90 itself is sent as 0x90 0x00
// and never starts a run.
struct RunLengthEncoder {
    static constexpr unsigned kMaxCopies = 254;  // a run of 255 bytes in total

    int lastByte = -1;    // -1: no byte a run could continue
    unsigned copies = 0;  // further copies of lastByte not yet written

    // Takes one byte, handing any coded bytes that are complete to sink(std::uint8_t).
    template <class Sink>
    void push(std::uint8_t byte, Sink&& sink) noexcept {
        if (byte == lastByte && byte != kRunLengthMarker) {
            if (++copies == kMaxCopies) {
                sink(kRunLengthMarker);
                sink(static_cast<std::uint8_t>(kMaxCopies + 1));
                lastByte = -1;
                copies = 0;
            }
            return;
        }
        endRun(sink);
        sink(byte);
        if (byte == kRunLengthMarker) {
            sink(std::uint8_t{0});
            lastByte = -1;
        } else {
            lastByte = byte;
        }
    }

    // Writes the copies of the pending run, as literals (up to three) or as a marker.
    template <class Sink>
    void endRun(Sink&& sink) noexcept {
        if (copies >= 4) {
            sink(kRunLengthMarker);
            sink(static_cast<std::uint8_t>(copies + 1));
        } else {
            for (unsigned i = 0; i < copies; ++i) sink(static_cast<std::uint8_t>(lastByte));
        }
        copies = 0;
    }
};

}  // namespace kodra
