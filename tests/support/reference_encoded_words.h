// The fixed-room encoded-word decoders the library used before it joined lines into
// strings, kept as the oracle the string form is checked against.
#pragma once

#include "frame/line_source.h"

#include <cstddef>
#include <cstdio>

namespace kodra::reference {

// Rewrites the NUL-terminated text in place (room: bytes available at text, NUL
// included), replacing each encoded word "=?iso-8859-N?Q|B?...?=" or "=?big5?Q|B?...?="
// (RFC 2047; charset and mode letter in any case) by its raw bytes, without charset
// conversion. Whitespace between two adjacent words is dropped (RFC 2047, 6.2); "_"
// in a Q word is a space. A word cut at the line end with 30 or more characters left
// is completed by joining the following lines of input directly, only into the room
// left; a word still open at the end of input or of the room ends at the line end.
// Returns 1 when the text held an encoded word, else 0 (text unchanged).
int decodeEncodedWords(std::FILE* input, char* text, std::size_t room) noexcept;

// The same, joining lines from a line source (its fgets-style pieces).
int decodeEncodedWords(LineSource& input, char* text, std::size_t room) noexcept;

}  // namespace kodra::reference
