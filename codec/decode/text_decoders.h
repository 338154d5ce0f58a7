// Small text decoders shared by the decoding driver, the buffer codec and the
// message readers.
#pragma once

#include <cstddef>

namespace kodra {

struct QuotedPrintableResult {
    std::size_t length;  // decoded length
    std::size_t kept;    // bytes of text left in place (length, or length + 2 for a cut "=X")
};

// Decodes the quoted-printable escapes (RFC 2045, 6.7) of text[0, size) in place, without
// reading beyond it: "=XX" (either case) becomes its byte, a final "=" and "=" followed by
// CR LF, CR or LF are soft line breaks and vanish, a text that ends in "=" and one character
// stops there (the two stay in place, uncounted), any other "=" stays. "_" is literal.
QuotedPrintableResult decodeQuotedPrintable(char* text, std::size_t size) noexcept;

// The same on a NUL-terminated text, which is terminated again after what it keeps.
// Returns the decoded length.
int decodeQuotedPrintableText(char* text) noexcept;

// True when "--" followed by boundary occurs in line (never for an empty boundary).
bool holdsDelimiter(const char* boundary, const char* line) noexcept;

// 1 when line is a boundary line for boundary: "--" and the boundary occur in it, or (strict 0)
// it has one of the common separator shapes ("----...=_...", "...=======...").
int isBoundaryLine(const char* boundary, const char* line, int strict) noexcept;

}  // namespace kodra
