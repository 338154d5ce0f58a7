// The header lines and trailer of one encoded MIME body part.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdio>

namespace kodra {

enum class PartLayout : int {
    // The library's documented layout: a signature line before the header fields,
    // "application\octet-stream" and the type words "UUENCODED", "Base64", "BinHex",
    // "XXENCODED", "quoted-printable".
    classic = 0,
    // A part strict MIME readers (RFC 2045, 2046) accept: the signature as an
    // "X-Encoded-By" field, "application/octet-stream" ("application/mac-binhex40" for
    // BinHex, RFC 1741) and the registered or customary transfer-encoding names.
    standard = 1,
};

// Holds the file name written into a part: the text after the last "/" or "\" of
// sourcePath, with CR, LF and double quotes written as "_" so that it cannot break or
// add header lines. False when it does not fit kMaxPath bytes.
bool partFileName(const char* sourcePath, char (&name)[platform::kMaxPath]) noexcept;

// Writes everything before the body: signature, header fields, the empty line and, for
// UUencode and XXencode, the "begin" line. type is 1 to 6 (6: yEnc, carried as "8bit").
// delimited false leaves out the line end that closes a delimiter line before the part.
void writePartHeader(std::FILE* output, PartLayout layout, int type, const char* application,
                     const char* fileName, bool delimited = true) noexcept;

// Writes the trailer that every part ends with: CR LF, "--" and the boundary, no line end.
void writePartTrailer(std::FILE* output, const char* boundary) noexcept;

}  // namespace kodra
