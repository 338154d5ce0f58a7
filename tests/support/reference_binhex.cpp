#include "support/reference_binhex.h"

#include "binhex/binhex_alphabet.h"
#include "binhex/binhex_six_bit.h"
#include "binhex/crc16_xmodem.h"
#include "binhex/hexbin_lines.h"
#include "binhex/run_length.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kodra::reference {
namespace {

// What lies between a header and its forks; reset at every header.
struct DecoderState {
    BinHexVariant variant = BinHexVariant::none;
    SixBitDecoder sixBit;
    RunLengthDecoder runs;
    std::uint16_t crc = 0;
    BinHexHeader header{};
};

DecoderState& decoderState() noexcept {
    static DecoderState state;
    return state;
}

// Resets everything a header starts afresh.
void resetDecoder(DecoderState& state) noexcept { state = DecoderState{}; }

// The next 6-bit value of a 4.0 body, or -1 where the data ends.
int readBinHexValue(std::FILE* input) noexcept {
    for (;;) {
        const int c = std::getc(input);
        if (c == EOF) return -1;
        if (c == '\r' || c == '\n' || c == ' ') continue;
        const std::uint8_t value = lookupSymbol(binHexTable, static_cast<char>(c));
        return value == kNotInAlphabet ? -1 : value;
    }
}

// The next byte of a 4.0 body after the 6-bit and run-length layers; -1 at the end.
int readBinHexByte(DecoderState& state, std::FILE* input) noexcept {
    return state.runs.next([&] { return state.sixBit.next([&] { return readBinHexValue(input); }); });
}

// The stored CRC that follows a block, or -1 when the data ends first.
int readStoredCrc(DecoderState& state, std::FILE* input) noexcept {
    const int high = readBinHexByte(state, input);
    const int low = high < 0 ? -1 : readBinHexByte(state, input);
    return low < 0 ? -1 : high << 8 | low;
}

int decodeBinHex40Fork(DecoderState& state, std::FILE* input, std::FILE* output) noexcept {
    state.crc = 0;
    // The length field is signed: a length with the top bit set describes no fork.
    if (state.header.dataLength > 0x7FFFFFFFu) return 0;
    // Written in chunks, as the library did, so that benchmarks against it stay fair.
    std::array<std::uint8_t, 4096> chunk;
    std::size_t filled = 0;
    const auto flush = [&] {
        const bool written = output == nullptr || std::fwrite(chunk.data(), 1, filled, output) == filled;
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
        if (filled == chunk.size() && !flush()) return 0;
    }
    if (!flush() || (output != nullptr && std::fflush(output) != 0)) return 0;
    return readStoredCrc(state, input) == state.crc ? 1 : 0;
}

// Lines of the older format are read 511 characters at a time.
constexpr int kHexBinLineLimit = 512;

// Reads the next line into buffer without its line end; false at the end of input.
bool readHexBinLine(std::FILE* input, char* buffer, std::string_view& line) noexcept {
    if (std::fgets(buffer, kHexBinLineLimit, input) == nullptr) return false;
    std::size_t length = std::strlen(buffer);
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r')) --length;
    buffer[length] = '\0';
    line = std::string_view(buffer, length);
    return true;
}

bool startsWith(std::string_view line, std::string_view opening) noexcept {
    return line.substr(0, opening.size()) == opening;
}

// The hexadecimal number after a checksum line's opening, or -1 when there is none.
long long checksumValue(std::string_view rest) noexcept {
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value, 16);
    if (error != std::errc() || end == rest.data()) return -1;
    return value;
}

int decodeHexBinForks(std::FILE* input, std::FILE* output, char* lineBuffer) noexcept {
    HexBinChecksums checks;
    bool compressed = false;
    bool forkSeen = false;
    std::uint8_t bytes[kMaxHexBinLineBytes];
    std::string_view line;
    while (readHexBinLine(input, lineBuffer, line)) {
        if (!forkSeen && startsWith(line, "***COMPRESSED")) {
            compressed = true;
            continue;
        }
        const bool dataFork = startsWith(line, "***DATA");
        if (dataFork || startsWith(line, "***RESOURCE")) {
            forkSeen = true;
            std::uint64_t forkLength = 0;
            while (readHexBinLine(input, lineBuffer, line) && !startsWith(line, "***END")) {
                const int n = compressed ? decodeHexBinCompressedLine(line, bytes)
                                         : decodeHexBinPlainLine(line, bytes);
                if (n < 0) return 0;
                const auto count = static_cast<std::size_t>(n);
                for (std::size_t i = 0; i < count; ++i) checks.add(bytes[i]);
                // Only the data fork is kept; the resource fork is checked and dropped.
                if (dataFork && output != nullptr && std::fwrite(bytes, 1, count, output) != count) return 0;
                forkLength += count;
            }
            if (forkLength == 0) return 0;
            continue;
        }
        if (compressed && startsWith(line, "***CRC:"))
            return checksumValue(line.substr(7)) == checks.rotating ? 1 : 0;
        if (!compressed && startsWith(line, "***CHECKSUM:")) {
            const long long value = checksumValue(line.substr(12));
            return value >= 0 && (value & 0xFF) == checks.sum ? 1 : 0;
        }
    }
    return 0;
}

}  // namespace

int detectBinHex(const char* line, std::FILE* input) noexcept {
    static constexpr char kOpening[] = "(This file";
    if (line == nullptr || input == nullptr || std::strncmp(line, kOpening, sizeof kOpening - 1) != 0)
        return 0;
    // Lines up to the start line are skipped; only a ":" or "#" opening a line starts one.
    bool lineStart = true;
    for (int c; (c = std::getc(input)) != EOF;) {
        if (lineStart && c == ':') {
            decoderState().variant = BinHexVariant::binHex40;
            return 1;
        }
        if (lineStart && c == '#') {
            if (std::ungetc(c, input) == EOF) return -1;
            decoderState().variant = BinHexVariant::hexBin;
            return 2;
        }
        lineStart = c == '\r' || c == '\n';
    }
    return -1;
}

int readBinHexHeader(std::FILE* input, char* name) noexcept {
    DecoderState& state = decoderState();
    resetDecoder(state);
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

int readHexBinHeader(std::FILE* input, char* name, char* lineBuffer) noexcept {
    static_cast<void>(name);  // the format carries no name
    DecoderState& state = decoderState();
    resetDecoder(state);
    std::string_view line;
    if (input == nullptr || lineBuffer == nullptr || !readHexBinLine(input, lineBuffer, line)) return 0;
    // "#" type creator "$" flags: the type and creator are kept when the line has that shape.
    if (line.size() >= 14 && line[0] == '#' && line[line.size() - 5] == '$') {
        line.copy(state.header.type, 4, 1);
        line.copy(state.header.creator, 4, 5);
    }
    state.variant = BinHexVariant::hexBin;
    return 1;
}

int decodeBinHexForks(std::FILE* input, std::FILE* output, char* lineBuffer) noexcept {
    DecoderState& state = decoderState();
    if (input == nullptr) return 0;
    // A section's forks are decoded once; a second call has no header to go by.
    const BinHexVariant variant = state.variant;
    state.variant = BinHexVariant::none;
    if (output == input) output = nullptr;
    switch (variant) {
        case BinHexVariant::binHex40: return decodeBinHex40Fork(state, input, output);
        case BinHexVariant::hexBin: return lineBuffer != nullptr ? decodeHexBinForks(input, output, lineBuffer) : 0;
        default: return 0;
    }
}

const BinHexHeader& binHexHeader() noexcept { return decoderState().header; }

}  // namespace kodra::reference
