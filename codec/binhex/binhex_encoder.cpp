#include "binhex/binhex.h"

#include "binhex/binhex_header_record.h"
#include "binhex/binhex_stream_encoder.h"
#include "platform/stdio_unlocked.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

namespace kodra {
namespace {

constexpr std::size_t kWorkingBufferSize = 32760;
// The buffer holds a chunk of source and the text it can encode to.
constexpr std::size_t kChunkSize = kWorkingBufferSize / (1 + BinHexStreamEncoder::kMaxCharsPerByte);
static_assert(kChunkSize >= kMaxBinHexRecordSize);
static_assert(kChunkSize * BinHexStreamEncoder::kMaxCharsPerByte >= BinHexStreamEncoder::kMaxFinishChars);
// The header's data fork length is a signed 32-bit number.
constexpr std::uint64_t kMaxDataLength = 0x7FFFFFFF;

// Moves bytes through the encoder into the output, one chunk's worth of text at a time.
class EncodingWriter {
public:
    EncodingWriter(std::FILE* output, char* text) noexcept : output_(output), text_(text) {}

    bool write(const char* characters, std::size_t n) noexcept {
        return writeUnlocked(characters, 1, n, output_) == n;
    }
    // bytes holds at most kChunkSize bytes.
    bool encode(const std::uint8_t* bytes, std::size_t n) noexcept {
        return write(text_, encoder_.encode(bytes, n, text_));
    }
    // Sends the CRC of the block just ended, not itself covered, and starts a new one.
    bool endBlock() noexcept {
        const std::uint16_t crc = encoder_.crc();
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(crc >> 8),
                                       static_cast<std::uint8_t>(crc & 0xFFu)};
        encoder_.setCrcAccumulation(false);
        const bool written = encode(bytes, 2);
        encoder_.setCrcAccumulation(true);
        encoder_.resetCrc();
        return written;
    }
    bool finish() noexcept { return write(text_, encoder_.finish(text_)); }

private:
    std::FILE* output_;
    char* text_;
    BinHexStreamEncoder encoder_;
};

}  // namespace

int encodeBinHexFile(const char* name, std::uint64_t dataLength, std::FILE* source,
                     std::FILE* output) noexcept {
    if (source == nullptr || output == nullptr || dataLength > kMaxDataLength) return 0;
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kWorkingBufferSize]);
    if (!buffer) return 0;
    std::uint8_t* chunk = buffer.get();
    EncodingWriter writer(output, reinterpret_cast<char*>(buffer.get() + kChunkSize));

    BinHexHeader header{};
    header.nameLength = static_cast<std::uint8_t>(
        shortenBinHexName(name != nullptr ? std::string_view(name) : std::string_view(), header.name));
    std::memcpy(header.type, "IBM?", 4);
    std::memcpy(header.creator, "KDRA", 4);
    header.dataLength = static_cast<std::uint32_t>(dataLength);

    if (!writer.write(kBinHexBanner, sizeof kBinHexBanner - 1)) return 0;
    if (!writer.encode(chunk, writeBinHexHeaderRecord(header, chunk)) || !writer.endBlock()) return 0;

    // Exactly the announced length is encoded: a source that grows is cut there, one that
    // shrinks is padded with zeros so that the stream stays whole, and reported.
    bool sourceComplete = true;
    for (std::uint64_t remaining = dataLength; remaining > 0;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kChunkSize));
        const std::size_t got = sourceComplete ? std::fread(chunk, 1, want, source) : 0;
        if (got < want) {
            sourceComplete = false;
            std::memset(chunk + got, 0, want - got);
        }
        if (!writer.encode(chunk, want)) return 0;
        remaining -= want;
    }
    const std::uint8_t emptyResourceForkCrc[2] = {0, 0};
    if (!writer.endBlock() || !writer.encode(emptyResourceForkCrc, 2) || !writer.finish()) return 0;
    if (std::fflush(output) != 0) return 0;
    return sourceComplete ? 1 : 0;
}

}  // namespace kodra
