// The BinHex 4.0 6-bit layer: three bytes to four 6-bit values, first value from the
// top bits of the first byte, with no padding at the end.
#pragma once

#include <cstdint>

namespace kodra {

// Turns 6-bit values back into bytes, one byte per call. After the values end, the
// decoder never asks for another one until it is reset.
struct SixBitDecoder {
    std::uint8_t group[3]{};
    unsigned position = 0;
    unsigned available = 0;
    bool ended = false;

    // The next byte, pulling values from nextValue() (0 to 63, or -1 at the end); a group
    // cut after its third or fourth value still yields its first one or two bytes. -1 at
    // the end.
    template <class NextValue>
    int next(NextValue&& nextValue) noexcept {
        if (position == available) {
            if (ended) return -1;
            position = 0;
            available = 0;
            int values[4];
            unsigned got = 0;
            while (got < 4 && (values[got] = nextValue()) >= 0) ++got;
            if (got < 4) ended = true;
            if (got < 2) return -1;
            const auto v0 = static_cast<unsigned>(values[0]);
            const auto v1 = static_cast<unsigned>(values[1]);
            const auto v2 = got > 2 ? static_cast<unsigned>(values[2]) : 0u;
            const auto v3 = got > 3 ? static_cast<unsigned>(values[3]) : 0u;
            group[0] = static_cast<std::uint8_t>((v0 << 2 | v1 >> 4) & 0xFFu);
            group[1] = static_cast<std::uint8_t>(((v1 & 15u) << 4 | v2 >> 2) & 0xFFu);
            group[2] = static_cast<std::uint8_t>(((v2 & 3u) << 6 | v3) & 0xFFu);
            available = got - 1;
        }
        return group[position++];
    }
};

// Packs bytes into 6-bit values as they come, handing each finished value to emit(unsigned).
struct SixBitEncoder {
    unsigned pending = 0;  // bytes of the current group seen: 0, 1 or 2
    unsigned bits = 0;     // their bits not yet emitted

    template <class Emit>
    void push(std::uint8_t byte, Emit&& emit) noexcept {
        switch (pending) {
            case 0:
                emit(static_cast<unsigned>(byte >> 2));
                bits = byte & 3u;
                pending = 1;
                break;
            case 1:
                emit(bits << 4 | static_cast<unsigned>(byte >> 4));
                bits = byte & 15u;
                pending = 2;
                break;
            default:
                emit(bits << 2 | static_cast<unsigned>(byte >> 6));
                emit(byte & 63u);
                pending = 0;
                break;
        }
    }

    // Emits the leftover bits of an unfinished group, if any, as one last value.
    template <class Emit>
    void finish(Emit&& emit) noexcept {
        if (pending == 1) emit(bits << 4);
        else if (pending == 2) emit(bits << 2);
        pending = 0;
    }
};

}  // namespace kodra
