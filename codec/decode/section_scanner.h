// The section scanner: decides whether a line of a mail or news file opens an encoded
// section, of which kind, with which alphabet and under which name.
#pragma once

#include "decode/decode_tables.h"

#include <cstdio>

namespace kodra {

class BoundaryList;

// Kinds of section, numbered like the encoding types.
enum SectionType : int {
    kNoSection = 0,
    kUuSection = 1,      // UUencode, XXencode or a private "table" alphabet
    kBase64Section = 2,
    kBinHexSection = 3,
    kTextSection = 5,    // quoted-printable, 7bit, plain or HTML text
};

// What the scanner reports and its caller keeps between calls for one file.
struct ScanState {
    const DecodeTable* table = nullptr;  // alphabet of the section; set also marks a known section
    int quotedPrintable = 0;             // a text section is quoted-printable
};

// Shows one line to the scanner. line and lowerLine (its lower-case copy) are buffers of
// kLineBufferSize bytes, name the pending output name (same size, in and out). The scanner
// may read further lines (a MIME header block, the first data line after "begin", the
// "table" lines, a BinHex header); line then holds the last one read. Names taken from
// the content are reduced to a bare file name. Returns the section type found, or 0.
int scanSectionLine(BoundaryList& boundaries, std::FILE* input, char* lowerLine, char* line,
                    char* name, ScanState& state) noexcept;

// Copies the body of a text section from input to output (null: read through it and
// write nothing), first skipping the rest of the part header when line is not empty.
// Lines end in CR LF; a quoted-printable body is decoded. Ends at a boundary line (not
// written) or the end of input and returns 1; 0 when the input ends within the header.
int copyTextSection(const BoundaryList& boundaries, std::FILE* input, std::FILE* output, char* line,
                    int quotedPrintable) noexcept;

// Writes one line of a text section: as it stands (plain) or quoted-printable decoded
// (RFC 2045, 6.7), followed by CR LF unless the line ended in a soft break, its decoded
// bytes end in LF, or lineEnds is false (a piece of a longer line).
void writeTextLine(std::FILE* output, char* text, bool plain, bool lineEnds) noexcept;

}  // namespace kodra
