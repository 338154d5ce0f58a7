// The header section of a stored message: seven well-known fields, the delivery lines
// in front of them and the receiving time among those lines.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace kodra {

class LineSource;

// Field numbers, in the order of the public record and of GetMessageHeaderField.
enum MessageField : int {
    kReceived = 0,
    kFrom,
    kTo,
    kSubject,
    kDate,
    kCc,
    kReplyTo,
    kOrganization,
    kHeaderBlock,
    kMessageFieldCount
};

struct MessageHeaders {
    std::array<std::optional<std::string>, kMessageFieldCount> fields;
};

// How many characters of each field a reader keeps: the rest is read and dropped, so
// that memory does not grow with a field's length.
struct FieldLimits {
    std::array<std::size_t, kMessageFieldCount> characters{};

    static FieldLimits all(std::size_t characters) noexcept {
        FieldLimits limits;
        limits.characters.fill(characters);
        return limits;
    }
};

// The first character of text that is not a space, tab, CR or LF.
const char* skipBlanks(const char* text) noexcept;

// A header line longer than this is cut there and the rest of it dropped: far beyond the
// longest field GetMessageInfo returns, while the memory a line takes stays bounded.
inline constexpr std::size_t kMaxHeaderLine = std::size_t{4} << 20;

// Reads the header section of the message at path (RFC 5322, 2.2): unfolds continuation
// lines, decodes encoded words, keeps the first of each recognised header and gathers
// the lines before the first one; each field is cut to its limit (a field that fits is
// exact). Lines are taken whole up to kMaxHeaderLine, so memory stays within the limits
// and one such line. False when the file cannot be opened. May throw std::bad_alloc.
bool readMessageHeaders(const char* path, MessageHeaders& headers, const FieldLimits& limits);

// The same from a line source over the message, whose cap, if any, takes the place of
// kMaxHeaderLine.
void readMessageHeaders(LineSource& source, MessageHeaders& headers, const FieldLimits& limits);

}  // namespace kodra
