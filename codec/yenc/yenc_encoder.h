// The yEnc data encoder (yEnc 1.3): each byte is written as (byte + 42) mod 256; the
// critical results are written as "=" followed by the result + 64, and lines are broken
// after a chosen number of characters with CR LF.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kodra {

// The customary line length of yEnc postings, in encoded characters.
inline constexpr std::size_t kYencLineLength = 128;

// What one chunk of data leaves for the next. The last byte of a chunk is held back: whether
// it ends its line (and a blank there must be escaped) is known only with the next byte or
// at the finish.
struct YencEncodeState {
    std::size_t lineLength = kYencLineLength;  // characters after which a line ends (2 or more)
    std::size_t column = 0;                    // characters on the current line
    int pending = -1;                          // the held-back byte, or -1
};

// Room one yencEncode call needs for size input bytes: every byte may take two characters,
// and every line written holds at least lineLength of them before its CR LF.
constexpr std::size_t yencEncodeRoom(std::size_t size, std::size_t lineLength) {
    return 2 * size + 2 * (2 * size / lineLength + 1);
}

// Room yencFinish needs: the held-back byte escaped and a final CR LF.
inline constexpr std::size_t kYencFinishRoom = 4;

// Encodes size bytes at in into out (room: yencEncodeRoom) and returns the characters
// written. Chunks may be cut anywhere: the output equals that of one call over all of them.
std::size_t yencEncode(YencEncodeState& state, const std::uint8_t* in, std::size_t size, char* out) noexcept;

// Writes the held-back byte and ends the last line with CR LF when it holds anything; the
// state is ready for new data afterwards. Returns the characters written (at most 4).
std::size_t yencFinish(YencEncodeState& state, char* out) noexcept;

// Room of the lines for size bytes in one go (yencEncode then yencFinish).
constexpr std::size_t yencEncodedBound(std::size_t size, std::size_t lineLength = kYencLineLength) {
    return yencEncodeRoom(size, lineLength) + kYencFinishRoom;
}

}  // namespace kodra
