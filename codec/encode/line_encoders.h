// Line encoders of UUencode, XXencode, Base64 (RFC 2045, 6.8) and quoted-printable
// (RFC 2045, 6.7): pure cores over caller buffers, and file drivers over open streams.
#pragma once

#include "encode/encode_alphabets.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace kodra {

// Line layout of one 6-bit encoding.
struct SixBitFormat {
    const EncodeAlphabet& alphabet;
    std::size_t bytesPerLine;  // source bytes of a full line
    bool lengthCharacter;      // UUencode and XXencode lead each line with its byte count
    bool padShortLine = true;  // "=" replaces the unused characters of a short final line
};

class ProgressMeter;

// The format of type 1 (UUencode), 2 (Base64) or 4 (XXencode); null for any other type.
const SixBitFormat* sixBitFormat(int type) noexcept;

// Writes the four characters of one group: bytes beyond `count` (1, 2, or 3 and more)
// are taken as zero and never read.
inline void encodeGroup(const std::uint8_t* bytes, std::size_t count, char* out,
                        const EncodeAlphabet& alphabet) noexcept {
    const unsigned b0 = bytes[0];
    const unsigned b1 = count > 1 ? bytes[1] : 0u;
    const unsigned b2 = count > 2 ? bytes[2] : 0u;
    out[0] = alphabet[b0 >> 2];
    out[1] = alphabet[(b0 & 3u) << 4 | b1 >> 4];
    out[2] = alphabet[(b1 & 15u) << 2 | b2 >> 6];
    out[3] = alphabet[b2 & 63u];
}

// Output size of a line carrying n (1 to bytesPerLine) source bytes, CR LF included.
constexpr std::size_t sixBitLineSize(const SixBitFormat& format, std::size_t n) {
    return (format.lengthCharacter ? 1 : 0) + 4 * ((n + 2) / 3) + 2;
}

// Output size of the lines for `length` source bytes.
std::uint64_t sixBitEncodedSize(const SixBitFormat& format, std::uint64_t length) noexcept;

// Encodes one line of n source bytes (a short line is padded with "=" or "==") and
// returns the characters written, CR LF included.
std::size_t encodeSixBitLine(const std::uint8_t* source, std::size_t n, const SixBitFormat& format,
                             char* out) noexcept;

// Encodes `length` bytes as consecutive lines into out (no begin or end lines, no
// terminator); returns the bytes written, sixBitEncodedSize of length.
std::size_t encodeSixBitBuffer(const std::uint8_t* source, std::size_t length,
                               const SixBitFormat& format, char* out) noexcept;

// Encodes the rest of source as lines to output, thousands of lines a read and a
// write; UUencode and XXencode close with the zero-value line and "end". Returns false, having written
// nothing, when the working block could not be obtained. Both files stay open; the
// source bytes read are counted on progress, when given.
bool encodeSixBitFile(std::FILE* source, std::FILE* output, const SixBitFormat& format,
                      ProgressMeter* progress = nullptr) noexcept;

// How the quoted-printable text of a file ends: with a line break, which strict
// readers decode as one more CR LF, or with a soft break, which adds nothing.
enum class QuotedPrintableEnd { lineBreak, softBreak };

// Quoted-printable for files: everything but TAB and printable ASCII other than "="
// is escaped (line ends included), soft breaks keep lines within 76 characters, one
// CR LF (or "=" CR LF) ends the text. Returns false when the working buffer could not
// be obtained. The source bytes read are counted on progress, when given.
bool encodeQuotedPrintableFile(std::FILE* source, std::FILE* output,
                               ProgressMeter* progress = nullptr,
                               QuotedPrintableEnd end = QuotedPrintableEnd::lineBreak) noexcept;

// Room the buffer variant needs for `length` source bytes, its zero byte included.
constexpr std::uint64_t quotedPrintableBufferBound(std::uint64_t length) {
    return 3 * length + 3 * (length / 72 + 1) + 3;
}

// Quoted-printable for buffers: CR and LF pass unchanged, a soft break follows every 73
// source bytes of a line; ends with CR LF and a zero byte. Returns the characters
// before the zero byte.
std::size_t encodeQuotedPrintableBuffer(const std::uint8_t* source, std::size_t length,
                                        char* out) noexcept;

}  // namespace kodra
