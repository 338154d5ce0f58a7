#include "encode/line_encoders.h"
#include "encode/progress_meter.h"
#include "encode/six_bit_line_kernels.h"
#include "platform/stdio_unlocked.h"

#include <memory>
#include <new>

namespace kodra {
namespace {

constexpr SixBitFormat uuFormat{uuAlphabet, 45, true};
constexpr SixBitFormat base64Format{base64Alphabet, 57, false};
constexpr SixBitFormat xxFormat{xxAlphabet, 45, true};

static_assert(sixBitLineSize(uuFormat, 45) == 63 && sixBitLineSize(base64Format, 57) == 78);
// The line kernels take whole groups, with room for a step before the last four, and a
// UU or XX count must be one symbol.
static_assert(uuFormat.bytesPerLine % 3 == 0 && base64Format.bytesPerLine % 3 == 0 &&
              xxFormat.bytesPerLine % 3 == 0);
static_assert(uuFormat.bytesPerLine >= 18 && base64Format.bytesPerLine >= 18 && xxFormat.bytesPerLine >= 18);
static_assert(uuFormat.bytesPerLine < 64 && xxFormat.bytesPerLine < 64);

// Whole lines a read: a few hundred KiB of source, so that reads and writes are large
// and the block stays in the second-level cache.
constexpr std::size_t kLinesPerChunk = 4096;
constexpr std::size_t kWorkingBlockSize = kLinesPerChunk * (57 + sixBitLineSize(base64Format, 57));
// One block holds a chunk of source and its encoded lines.
static_assert(kLinesPerChunk * (45 + sixBitLineSize(uuFormat, 45)) <= kWorkingBlockSize);
static_assert(kLinesPerChunk * (45 + sixBitLineSize(xxFormat, 45)) <= kWorkingBlockSize);

}  // namespace

const SixBitFormat* sixBitFormat(int type) noexcept {
    switch (type) {
        case 1: return &uuFormat;
        case 2: return &base64Format;
        case 4: return &xxFormat;
        default: return nullptr;
    }
}

std::uint64_t sixBitEncodedSize(const SixBitFormat& format, std::uint64_t length) noexcept {
    const std::uint64_t fullLines = length / format.bytesPerLine;
    const std::uint64_t rest = length % format.bytesPerLine;
    return fullLines * sixBitLineSize(format, format.bytesPerLine) +
           (rest ? sixBitLineSize(format, static_cast<std::size_t>(rest)) : 0);
}

std::size_t encodeSixBitLine(const std::uint8_t* source, std::size_t n, const SixBitFormat& format,
                             char* out) noexcept {
    char* o = out;
    if (format.lengthCharacter) *o++ = format.alphabet[n];
    std::size_t i = 0;
    // Whole groups first, with the count known, then the short group, if any.
    for (; i + 3 <= n; i += 3, o += 4) encodeGroup(source + i, 3, o, format.alphabet);
    if (i < n) {
        encodeGroup(source + i, n - i, o, format.alphabet);
        o += 4;
    }
    // Only a short (final) line is padded; UU and XX decoders go by the length character.
    if (format.padShortLine && n < format.bytesPerLine) {
        if (n % 3 == 1) o[-2] = o[-1] = '=';
        else if (n % 3 == 2) o[-1] = '=';
    }
    *o++ = '\r';
    *o++ = '\n';
    return static_cast<std::size_t>(o - out);
}

std::size_t encodeSixBitBuffer(const std::uint8_t* source, std::size_t length,
                               const SixBitFormat& format, char* out) noexcept {
    return encodeSixBitBufferAt(activeSimdLevel(), source, length, format, out);
}

bool encodeSixBitFile(std::FILE* source, std::FILE* output, const SixBitFormat& format,
                      ProgressMeter* progress) noexcept {
    return encodeSixBitFileAt(activeSimdLevel(), source, output, format, progress);
}

bool encodeSixBitFileAt(SimdLevel level, std::FILE* source, std::FILE* output, const SixBitFormat& format,
                        ProgressMeter* progress) noexcept {
    // Not cleared: every byte is written before it is read.
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[kWorkingBlockSize]);
    if (!block) return false;
    const std::size_t chunkSize = kLinesPerChunk * format.bytesPerLine;
    std::uint8_t* chunk = block.get();
    char* lines = reinterpret_cast<char*>(block.get() + chunkSize);
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, chunkSize, source);
        if (got > 0) {
            const std::size_t produced = encodeSixBitBufferAt(level, chunk, got, format, lines);
            writeUnlocked(lines, 1, produced, output);
            if (progress) progress->advance(got);
        }
        if (got < chunkSize) break;
    }
    if (format.lengthCharacter) std::fprintf(output, "%c\r\nend\r\n", format.alphabet[0]);
    return true;
}

}  // namespace kodra
