#include "encode/line_encoders.h"
#include "encode/progress_meter.h"
#include "platform/stdio_unlocked.h"

#include <cstring>
#include <memory>
#include <new>

namespace kodra {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kFileChunkSize = 10000;

// Longest line before a literal / an escape forces a soft break, so that no line
// exceeds 76 characters with its closing "=".
constexpr std::size_t kLiteralLimit = 74;
constexpr std::size_t kEscapeLimit = 72;

constexpr bool isFileLiteral(std::uint8_t byte) {
    return byte == '\t' || (byte >= 32 && byte <= 126 && byte != '=');
}

constexpr bool isBufferLiteral(std::uint8_t byte) {
    return byte == '\t' || byte == '\n' || byte == '\r' || (byte >= 32 && byte <= 126 && byte != '=');
}

inline char* writeEscape(char* out, std::uint8_t byte) noexcept {
    out[0] = '=';
    out[1] = kHexDigits[byte >> 4];
    out[2] = kHexDigits[byte & 15];
    return out + 3;
}

}  // namespace

bool encodeQuotedPrintableFile(std::FILE* source, std::FILE* output, ProgressMeter* progress,
                               QuotedPrintableEnd end) noexcept {
    std::unique_ptr<std::uint8_t[]> chunk(new (std::nothrow) std::uint8_t[kFileChunkSize]);
    if (!chunk) return false;
    // Finished lines collect in text and go out a few kilobytes at a time.
    char text[4096];
    std::size_t pending = 0;
    char line[80];
    std::size_t used = 0;
    for (;;) {
        const std::size_t got = std::fread(chunk.get(), 1, kFileChunkSize, source);
        for (std::size_t i = 0; i < got; ++i) {
            const std::uint8_t byte = chunk[i];
            const bool literal = isFileLiteral(byte);
            if (used > (literal ? kLiteralLimit : kEscapeLimit)) {
                line[used++] = '=';
                line[used++] = '\r';
                line[used++] = '\n';
                if (pending + used > sizeof text) {
                    writeUnlocked(text, 1, pending, output);
                    pending = 0;
                }
                std::memcpy(text + pending, line, used);
                pending += used;
                used = 0;
            }
            if (literal) line[used++] = static_cast<char>(byte);
            else used = static_cast<std::size_t>(writeEscape(line + used, byte) - line);
        }
        if (progress) progress->advance(got);
        if (got < kFileChunkSize) break;
    }
    if (end == QuotedPrintableEnd::softBreak) line[used++] = '=';
    line[used++] = '\r';
    line[used++] = '\n';
    writeUnlocked(text, 1, pending, output);
    writeUnlocked(line, 1, used, output);
    return true;
}

std::size_t encodeQuotedPrintableBuffer(const std::uint8_t* source, std::size_t length,
                                        char* out) noexcept {
    char* o = out;
    std::size_t lineBytes = 0;  // source bytes, not characters, on the current line
    for (std::size_t i = 0; i < length; ++i) {
        if (lineBytes > 72) {
            *o++ = '=';
            *o++ = '\r';
            *o++ = '\n';
            lineBytes = 0;
        }
        const std::uint8_t byte = source[i];
        if (isBufferLiteral(byte)) *o++ = static_cast<char>(byte);
        else o = writeEscape(o, byte);
        lineBytes = byte == '\n' ? 1 : lineBytes + 1;
    }
    *o++ = '\r';
    *o++ = '\n';
    *o = '\0';
    return static_cast<std::size_t>(o - out);
}

}  // namespace kodra
