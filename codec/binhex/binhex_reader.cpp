#include "binhex/binhex_reader.h"

#include "binhex/binhex_alphabet.h"
#include "binhex/crc16_xmodem.h"
#include "binhex/hexbin_lines.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <new>

namespace kodra {
namespace {

// Character code to 6-bit value over all 256 codes; CR, LF and space are skipped, every
// other code outside the alphabet ends the data.
constexpr std::uint8_t kSkip = 64;
constexpr std::uint8_t kEnd = 255;

constexpr std::array<std::uint8_t, 256> valueTable() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned code = 0; code < 256; ++code) {
        const std::uint8_t value = code < binHexTable.size() ? binHexTable[code] : kNotInAlphabet;
        table[code] = value == kNotInAlphabet ? kEnd : value;
    }
    table['\r'] = kSkip;
    table['\n'] = kSkip;
    table[' '] = kSkip;
    return table;
}

constexpr std::array<std::uint8_t, 256> kValues = valueTable();

// The CRC-16/XMODEM table for two bytes at a time: the CRC of x (two bytes, high first,
// already XORed into the running CRC) is kCrcLow[x & 0xFF] ^ kCrcHigh[x >> 8], the table
// being linear. Halves the dependency chain of the fork's CRC.
constexpr std::array<std::uint16_t, 256> crcHighTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned high = 0; high < 256; ++high) {
        const unsigned once = detail::kCrc16XmodemTable[high];
        table[high] = static_cast<std::uint16_t>(((once & 0xFFu) << 8 ^ detail::kCrc16XmodemTable[once >> 8]) & 0xFFFFu);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcHigh = crcHighTable();

constexpr std::uint16_t crcOfBytes(const std::uint8_t* bytes, std::size_t n, std::uint16_t crc) noexcept {
    std::size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const unsigned x = crc ^ (static_cast<unsigned>(bytes[i]) << 8 | bytes[i + 1]);
        crc = static_cast<std::uint16_t>(detail::kCrc16XmodemTable[x & 0xFFu] ^ kCrcHigh[x >> 8]);
    }
    return i < n ? updateCrc16Xmodem(crc, bytes[i]) : crc;
}

constexpr std::uint8_t kCrcSample[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0x90, 0, 0xFF};
static_assert(crcOfBytes(kCrcSample, 9, 0) == 0x31C3 && crcOfBytes(kCrcSample, 12, 0x1234) ==
                                                           crc16Xmodem(kCrcSample, 12, 0x1234),
              "two bytes at a time agree with one");

// Decoded bytes are written in chunks of this size.
constexpr std::size_t kOutputChunk = 16 * 1024;

bool startsWith(std::string_view line, std::string_view opening) noexcept {
    return line.substr(0, opening.size()) == opening;
}

// A line of the older format as a fixed-buffer reader saw it: up to the first NUL, with
// trailing CRs and LFs removed.
std::string_view hexBinLine(std::string_view text) noexcept {
    const void* nul = std::memchr(text.data(), '\0', text.size());
    if (nul != nullptr) text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    return text;
}

// The hexadecimal number after a checksum line's opening, or -1 when there is none.
long long checksumValue(std::string_view rest) noexcept {
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value, 16);
    if (error != std::errc() || end == rest.data()) return -1;
    return value;
}

bool isPlainHexLine(std::string_view line) noexcept {
    if (line.size() % 2 != 0) return false;
    for (const char c : line)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

// Gives the rest of the current line back to the input when a call returns.
struct FinishOnReturn {
    BinHexReader* reader;
    void (*finish)(BinHexReader*) noexcept;
    ~FinishOnReturn() { finish(reader); }
};

}  // namespace

void BinHexReader::begin(LineSource& input) noexcept {
    input_ = &input;
    text_ = {};
    at_ = 0;
    holding_ = false;
}

void BinHexReader::finish() noexcept {
    if (holding_) input_->unreadTail(at_);
    holding_ = false;
    text_ = {};
    at_ = 0;
}

// The next 6-bit value, or -1 where the data ends (the ending character is consumed).
int BinHexReader::nextValue() noexcept {
    for (;;) {
        while (at_ < text_.size()) {
            const std::uint8_t value = kValues[static_cast<unsigned char>(text_[at_++])];
            if (value == kSkip) continue;
            return value == kEnd ? -1 : value;
        }
        SourceLine line;
        if (!input_->next(line)) {
            holding_ = false;
            text_ = {};
            at_ = 0;
            return -1;
        }
        text_ = line.text;
        at_ = 0;
        holding_ = true;
    }
}

// The next byte of the 6-bit layer; a whole group of four values on the line is decoded
// at once, anything else goes through the one-value-at-a-time decoder.
inline int BinHexReader::codedByte() noexcept {
    if (sixBit_.position < sixBit_.available) return sixBit_.group[sixBit_.position++];
    if (!sixBit_.ended && text_.size() - at_ >= 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(text_.data() + at_);
        const unsigned v0 = kValues[p[0]], v1 = kValues[p[1]], v2 = kValues[p[2]], v3 = kValues[p[3]];
        if ((v0 | v1 | v2 | v3) < 64) {
            at_ += 4;
            sixBit_.group[0] = static_cast<std::uint8_t>((v0 << 2 | v1 >> 4) & 0xFFu);
            sixBit_.group[1] = static_cast<std::uint8_t>(((v1 & 15u) << 4 | v2 >> 2) & 0xFFu);
            sixBit_.group[2] = static_cast<std::uint8_t>(((v2 & 3u) << 6 | v3) & 0xFFu);
            sixBit_.available = 3;
            sixBit_.position = 1;
            return sixBit_.group[0];
        }
    }
    return sixBit_.next([this] { return nextValue(); });
}

int BinHexReader::readByte() noexcept {
    return runs_.next([this] { return codedByte(); });
}

int BinHexReader::readStoredCrc() noexcept {
    const int high = readByte();
    const int low = high < 0 ? -1 : readByte();
    return low < 0 ? -1 : high << 8 | low;
}

void BinHexReader::resetDecoder() noexcept {
    sixBit_ = SixBitDecoder{};
    runs_ = RunLengthDecoder{};
    header_ = BinHexHeader{};
}

BinHexForm BinHexReader::detect(std::string_view line, LineSource& input) noexcept {
    static constexpr std::string_view kOpening = "(This file";
    // Mail and news programs indent the banner now and then.
    const std::size_t indent = std::min(line.find_first_not_of(" \t"), line.size());
    if (!startsWith(line.substr(indent), kOpening)) return BinHexForm::none;
    // Lines up to the start line are skipped; only a ":" or "#" opening a line starts one.
    bool lineStart = true;
    SourceLine next;
    while (input.next(next)) {
        const std::string_view text = next.text;
        for (std::size_t i = 0; i < text.size();) {
            if (lineStart && text[i] == ':') {
                variant_ = Variant::binHex40;
                input.unreadTail(i + 1);
                return BinHexForm::binHex40;
            }
            if (lineStart && text[i] == '#') {
                variant_ = Variant::hexBin;
                input.unreadTail(i);
                return BinHexForm::hexBin;
            }
            // Only a CR inside the line opens another one.
            const void* cr = std::memchr(text.data() + i, '\r', text.size() - i);
            if (cr == nullptr) {
                lineStart = false;
                break;
            }
            i = static_cast<std::size_t>(static_cast<const char*>(cr) - text.data()) + 1;
            lineStart = true;
        }
        if (!next.continues) lineStart = true;
    }
    return BinHexForm::endedEarly;
}

bool BinHexReader::readHeader(LineSource& input, std::string& name) noexcept {
    variant_ = Variant::none;
    resetDecoder();
    begin(input);
    const FinishOnReturn guard{this, [](BinHexReader* reader) noexcept { reader->finish(); }};

    std::array<std::uint8_t, kMaxBinHexRecordSize> record{};
    const int nameLength = readByte();
    if (nameLength < 0) return false;
    record[0] = static_cast<std::uint8_t>(nameLength);
    const std::size_t size = 1u + static_cast<std::size_t>(nameLength) + kBinHexRecordTail;
    for (std::size_t i = 1; i < size; ++i) {
        const int byte = readByte();
        if (byte < 0) return false;
        record[i] = static_cast<std::uint8_t>(byte);
    }
    const int storedCrc = readStoredCrc();
    if (storedCrc != crc16Xmodem(record.data(), size)) return false;
    if (!parseBinHexHeaderRecord(record.data(), size, header_)) return false;
    try {
        name.assign(header_.name, header_.nameLength);
    } catch (const std::bad_alloc&) {
        return false;
    }
    variant_ = Variant::binHex40;
    return true;
}

bool BinHexReader::readHexBinHeader(LineSource& input, std::string& line) noexcept {
    variant_ = Variant::none;
    resetDecoder();
    SourceLine next;
    if (!input.next(next)) return false;
    const std::string_view text = hexBinLine(next.text);
    // "#" type creator "$" flags: the type and creator are kept when the line has that shape.
    if (text.size() >= 14 && text[0] == '#' && text[text.size() - 5] == '$') {
        text.copy(header_.type, 4, 1);
        text.copy(header_.creator, 4, 5);
    }
    try {
        line.assign(text);
    } catch (const std::bad_alloc&) {
        return false;
    }
    variant_ = Variant::hexBin;
    return true;
}

bool BinHexReader::decodeForks(LineSource& input, ByteSink* output) noexcept {
    // A section's forks are decoded once; a second call has no header to go by.
    const Variant variant = variant_;
    variant_ = Variant::none;
    switch (variant) {
        case Variant::binHex40: {
            begin(input);
            const FinishOnReturn guard{this, [](BinHexReader* reader) noexcept { reader->finish(); }};
            return decodeBinHex40Fork(output);
        }
        case Variant::hexBin: begin(input); return decodeHexBinForks(output);
        default: return false;
    }
}

bool BinHexReader::decodeBinHex40Fork(ByteSink* output) noexcept {
    // The length field is signed: a length with the top bit set describes no fork.
    if (header_.dataLength > 0x7FFFFFFFu) return false;
    std::array<std::uint8_t, kOutputChunk> chunk;
    std::size_t filled = 0;
    std::uint16_t crc = 0;
    const auto flush = [&] {
        const bool written = output == nullptr || filled == 0 || output->write(chunk.data(), filled);
        filled = 0;
        return written;
    };
    std::uint32_t remaining = header_.dataLength;
    while (remaining > 0) {
        if (filled == chunk.size() && !flush()) return false;
        const std::size_t room = std::min<std::size_t>(chunk.size() - filled, remaining);
        std::uint8_t* out = chunk.data() + filled;
        std::size_t made = 0;
        if (runs_.copiesOwed > 0) {
            // The rest of a run, as far as the fork and the chunk allow.
            made = std::min<std::size_t>(runs_.copiesOwed, room);
            std::memset(out, runs_.lastByte, made);
            runs_.copiesOwed -= static_cast<unsigned>(made);
        } else if (sixBit_.position == sixBit_.available && !sixBit_.ended) {
            // Whole groups of the current line without a marker go straight to the chunk.
            const auto* p = reinterpret_cast<const unsigned char*>(text_.data());
            std::size_t at = at_;
            const std::size_t end = text_.size();
            while (made + 3 <= room && end - at >= 4) {
                const unsigned v0 = kValues[p[at]], v1 = kValues[p[at + 1]];
                const unsigned v2 = kValues[p[at + 2]], v3 = kValues[p[at + 3]];
                if ((v0 | v1 | v2 | v3) >= 64) break;
                const auto b0 = static_cast<std::uint8_t>((v0 << 2 | v1 >> 4) & 0xFFu);
                const auto b1 = static_cast<std::uint8_t>(((v1 & 15u) << 4 | v2 >> 2) & 0xFFu);
                const auto b2 = static_cast<std::uint8_t>(((v2 & 3u) << 6 | v3) & 0xFFu);
                if (b0 == kRunLengthMarker || b1 == kRunLengthMarker || b2 == kRunLengthMarker) break;
                out[made] = b0;
                out[made + 1] = b1;
                out[made + 2] = b2;
                made += 3;
                at += 4;
            }
            at_ = at;
            if (made > 0) runs_.lastByte = out[made - 1];
        }
        if (made == 0) {
            // One byte through both layers: a group across lines, a marker, a fork end.
            const int byte = readByte();
            if (byte < 0) {
                flush();  // what was decoded stays in the output
                return false;
            }
            out[0] = static_cast<std::uint8_t>(byte);
            made = 1;
        }
        crc = crcOfBytes(out, made, crc);
        filled += made;
        remaining -= static_cast<std::uint32_t>(made);
    }
    if (!flush()) return false;
    return readStoredCrc() == crc;
}

bool BinHexReader::decodeHexBinForks(ByteSink* output) noexcept {
    HexBinChecksums checks;
    bool compressed = false;
    bool forkSeen = false;
    std::uint8_t bytes[kMaxHexBinLineBytes];
    LineSource& input = *input_;
    SourceLine next;
    while (input.next(next)) {
        std::string_view line = hexBinLine(next.text);
        if (!forkSeen && startsWith(line, "***COMPRESSED")) {
            compressed = true;
            continue;
        }
        const bool dataFork = startsWith(line, "***DATA");
        if (dataFork || startsWith(line, "***RESOURCE")) {
            forkSeen = true;
            std::uint64_t forkLength = 0;
            while (input.next(next) && !startsWith(line = hexBinLine(next.text), "***END")) {
                if (!compressed && !isPlainHexLine(line)) return false;
                // A plain line of any length is decoded a buffer at a time.
                do {
                    const std::string_view part = compressed ? line : line.substr(0, 2 * kMaxHexBinLineBytes);
                    const int n = compressed ? decodeHexBinCompressedLine(part, bytes) : decodeHexBinPlainLine(part, bytes);
                    if (n < 0) return false;
                    const auto count = static_cast<std::size_t>(n);
                    for (std::size_t i = 0; i < count; ++i) checks.add(bytes[i]);
                    // Only the data fork is kept; the resource fork is checked and dropped.
                    if (dataFork && output != nullptr && count > 0 && !output->write(bytes, count)) return false;
                    forkLength += count;
                    line.remove_prefix(compressed ? line.size() : part.size());
                } while (!line.empty());
            }
            if (forkLength == 0) return false;
            continue;
        }
        if (compressed && startsWith(line, "***CRC:")) return checksumValue(line.substr(7)) == checks.rotating;
        if (!compressed && startsWith(line, "***CHECKSUM:")) {
            const long long value = checksumValue(line.substr(12));
            return value >= 0 && (value & 0xFF) == checks.sum;
        }
    }
    return false;
}

}  // namespace kodra
