// Decoding of RFC 2047 encoded words in header lines and file-name parameters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kodra {

class LineSource;

// The most a word may take from following lines, each line's end counted as one byte:
// far beyond any folded header, small enough that hostile input cannot join a whole file.
inline constexpr std::size_t kMaxJoinedText = 64 * 1024;

// Rewrites text (taken up to its first NUL) in place, replacing each encoded word
// "=?iso-8859-N?Q|B?...?=" or "=?big5?Q|B?...?=" (RFC 2047; charset and mode letter in
// any case) by its raw bytes, without charset conversion. Whitespace between two adjacent
// words is dropped (RFC 2047, 6.2); "_" in a Q word is a space. A word cut at the line end
// with 30 or more characters left is completed by joining whole lines from input (each
// up to its first NUL). The line that would take the joined text past kMaxJoinedText
// (or the first piece of a line longer than the source's cap) is left in the input and
// the word ends at the line end. Returns 1 and the decoded text, or 0 with text unchanged.
int decodeEncodedWords(LineSource& input, std::string& text) noexcept;

// text with its RFC 2047 encoded words (B and Q, any charset) decoded and converted to
// UTF-8, whitespace between adjacent words dropped (RFC 2047, 6.2) and adjacent words of
// one charset converted together (a character may be cut between them); a malformed word
// stays as text, and text outside the words is kept when UTF-8, else read as Latin-1.
// Always well-formed UTF-8.
std::string decodeEncodedWordsToUtf8(std::string_view text);

}  // namespace kodra
