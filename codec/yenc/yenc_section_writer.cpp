#include "yenc/yenc_section_writer.h"

#include "encode/progress_meter.h"
#include "yenc/crc32.h"
#include "yenc/yenc_encoder.h"

#include <charconv>
#include <cstring>
#include <memory>
#include <new>

namespace kodra {
namespace {

// Source bytes a block; the encoded block needs about twice as much.
constexpr std::size_t kBlockSize = 256 * 1024;

// A control line being put together; every piece is short, so it never overflows.
class ControlLine {
public:
    void text(const char* piece) noexcept {
        const std::size_t length = std::strlen(piece);
        std::memcpy(bytes_ + size_, piece, length);
        size_ += length;
    }
    void number(const char* key, std::uint64_t value) noexcept {
        text(key);
        size_ = static_cast<std::size_t>(std::to_chars(bytes_ + size_, bytes_ + sizeof bytes_, value).ptr - bytes_);
    }
    // CRCs as eight lower-case hexadecimal digits.
    void crc(const char* key, std::uint32_t value) noexcept {
        static constexpr char kDigits[] = "0123456789abcdef";
        text(key);
        for (int shift = 28; shift >= 0; shift -= 4) bytes_[size_++] = kDigits[(value >> shift) & 15u];
    }
    void write(std::FILE* output) const noexcept { std::fwrite(bytes_, 1, size_, output); }

private:
    char bytes_[256];
    std::size_t size_ = 0;
};

void writeBeginLines(std::FILE* output, const YencSection& section) noexcept {
    ControlLine begin;
    begin.text("=ybegin");
    if (section.part > 0) {
        begin.number(" part=", static_cast<std::uint64_t>(section.part));
        begin.number(" total=", static_cast<std::uint64_t>(section.total));
    }
    begin.number(" line=", kYencLineLength);
    begin.number(" size=", section.fileSize);
    begin.text(" name=");
    begin.write(output);
    std::fputs(section.name, output);
    std::fputs("\r\n", output);
    if (section.part > 0) {
        ControlLine part;
        part.number("=ypart begin=", section.offset + 1);
        part.number(" end=", section.offset + section.length);
        part.text("\r\n");
        part.write(output);
    }
}

void writeEndLine(std::FILE* output, const YencSection& section, std::uint32_t partCrc,
                  std::uint32_t fileCrc) noexcept {
    ControlLine end;
    end.number("=yend size=", section.length);
    if (section.part > 0) {
        end.number(" part=", static_cast<std::uint64_t>(section.part));
        end.crc(" pcrc32=", partCrc);
        if (section.fileCrc) end.crc(" crc32=", fileCrc);
    } else {
        end.crc(" crc32=", fileCrc);
    }
    end.text("\r\n");
    end.write(output);
}

}  // namespace

bool writeYencSection(std::FILE* source, std::FILE* output, const YencSection& section, std::uint32_t& fileCrc,
                      ProgressMeter* progress) noexcept {
    const std::size_t blockSize =
        section.length < kBlockSize ? static_cast<std::size_t>(section.length) + 1 : kBlockSize;
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[blockSize]);
    std::unique_ptr<char[]> encoded(new (std::nothrow) char[yencEncodedBound(blockSize)]);
    if (!block || !encoded) return false;

    writeBeginLines(output, section);
    YencEncodeState state;
    std::uint32_t partCrc = 0;
    std::uint64_t owed = section.length;
    while (owed > 0) {
        const std::size_t want = owed < blockSize ? static_cast<std::size_t>(owed) : blockSize;
        const std::size_t got = std::fread(block.get(), 1, want, source);
        if (got == 0) return false;  // the source shrank or failed
        partCrc = crc32Update(partCrc, block.get(), got);
        fileCrc = crc32Update(fileCrc, block.get(), got);
        const std::size_t written = yencEncode(state, block.get(), got, encoded.get());
        std::fwrite(encoded.get(), 1, written, output);
        if (progress) progress->advance(got);
        owed -= got;
    }
    const std::size_t tail = yencFinish(state, encoded.get());
    std::fwrite(encoded.get(), 1, tail, output);
    writeEndLine(output, section, partCrc, fileCrc);
    return true;
}

}  // namespace kodra
