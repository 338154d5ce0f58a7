// Decoding of RFC 2047 encoded words in header lines and file-name parameters.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace kodra {

class LineSource;

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

// The most a word may take from following lines, each line's end counted as one byte:
// far beyond any folded header, small enough that hostile input cannot join a whole file.
inline constexpr std::size_t kMaxJoinedText = 64 * 1024;

// The same on text of any length (taken up to its first NUL, like the fixed-room form),
// joining whole lines from input (each up to its first NUL) with no room limit; the line
// that would take the joined text past kMaxJoinedText (or the first piece of a
// line longer than the source's cap) is left in the input and the word ends at the line
// end. Returns 1 and the decoded text, or 0 with text unchanged.
int decodeEncodedWords(LineSource& input, std::string& text) noexcept;

}  // namespace kodra
