#include "binhex/binhex.h"

#include "binhex/binhex_alphabet.h"
#include "binhex/binhex_decoder_state.h"
#include "binhex/crc16_xmodem.h"
#include "platform/stdio_unlocked.h"

#include <array>
#include <cstring>

namespace kodra {
namespace {

// The next 6-bit value of the body, or -1 where the data ends.
int readBinHexValue(std::FILE* input) noexcept {
    for (;;) {
        const int c = getcUnlocked(input);
        if (c == EOF) return -1;
        if (c == '\r' || c == '\n' || c == ' ') continue;
        const std::uint8_t value = lookupSymbol(binHexTable, static_cast<char>(c));
        return value == kNotInAlphabet ? -1 : value;
    }
}

// The stored CRC that follows a block, or -1 when the data ends first.
int readStoredCrc(BinHexDecoderState& state, std::FILE* input) noexcept {
    const int high = readBinHexByte(state, input);
    const int low = high < 0 ? -1 : readBinHexByte(state, input);
    return low < 0 ? -1 : high << 8 | low;
}

// Data fork bytes are written in chunks of this size.
constexpr std::size_t kOutputChunk = 4096;

}  // namespace

int readBinHexByte(BinHexDecoderState& state, std::FILE* input) noexcept {
    return state.runs.next([&] { return state.sixBit.next([&] { return readBinHexValue(input); }); });
}

int readBinHexHeader(std::FILE* input, char* name) noexcept {
    BinHexDecoderState& state = binHexDecoderState();
    state.variant = BinHexVariant::none;
    resetBinHexDecoderState(state);
    if (input == nullptr || name == nullptr) return 0;

    std::array<std::uint8_t, kMaxBinHexRecordSize> record{};
    const int nameLength = readBinHexByte(state, input);
    if (nameLength < 0) return 0;
    record[0] = static_cast<std::uint8_t>(nameLength);
    const std::size_t size = 1u + static_cast<std::size_t>(nameLength) + kBinHexRecordTail;
    for (std::size_t i = 1; i < size; ++i) {
        const int byte = readBinHexByte(state, input);
        if (byte < 0) return 0;
        record[i] = static_cast<std::uint8_t>(byte);
    }
    const int storedCrc = readStoredCrc(state, input);
    if (storedCrc != crc16Xmodem(record.data(), size)) return 0;
    if (!parseBinHexHeaderRecord(record.data(), size, state.header)) return 0;
    // Only an accepted header names anything.
    std::memcpy(name, state.header.name, state.header.nameLength + 1u);
    state.variant = BinHexVariant::binHex40;
    return 1;
}

int decodeBinHex40Fork(BinHexDecoderState& state, std::FILE* input, std::FILE* output) noexcept {
    state.crc = 0;
    state.written = 0;
    // The length field is signed: a length with the top bit set describes no fork.
    if (state.header.dataLength > 0x7FFFFFFFu) return 0;
    std::array<std::uint8_t, kOutputChunk> chunk;
    std::size_t filled = 0;
    const auto flush = [&] {
        const bool written = output == nullptr || writeUnlocked(chunk.data(), 1, filled, output) == filled;
        filled = 0;
        return written;
    };
    for (std::uint32_t remaining = state.header.dataLength; remaining > 0; --remaining) {
        const int byte = readBinHexByte(state, input);
        if (byte < 0) {
            flush();  // what was decoded stays in the output
            return 0;
        }
        state.crc = updateCrc16Xmodem(state.crc, static_cast<std::uint8_t>(byte));
        chunk[filled++] = static_cast<std::uint8_t>(byte);
        ++state.written;
        if (filled == chunk.size() && !flush()) return 0;
    }
    if (!flush() || (output != nullptr && std::fflush(output) != 0)) return 0;
    return readStoredCrc(state, input) == state.crc ? 1 : 0;
}

}  // namespace kodra
