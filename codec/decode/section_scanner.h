// The section scanner: decides whether a line of a mail or news file opens an encoded
// section, of which kind, with which alphabet and under which name.
#pragma once

#include "binhex/binhex_reader.h"
#include "decode/decode_tables.h"
#include "decode/encoding.h"
#include "frame/line_source.h"

#include <string>

namespace kodra {

class BoundaryList;
class ByteSink;

// What the scanner reports and its caller keeps between calls for one input: the
// section record without its output.
struct ScanState {
    const DecodeTable* table = nullptr;  // alphabet of the section; set also marks a known section
    int quotedPrintable = 0;             // a text section is quoted-printable
    DecodeTable privateTable = detail::emptyTable();  // the alphabet of the last "table" header
    BinHexReader binHex;                              // between a BinHex header and its forks
    std::string partName;  // the MIME name of the part being read, for a "begin" line without one
};

// The encoding of the section a scanner result and state describe.
Encoding encodingOf(SectionType type, const ScanState& state) noexcept;

// The text of a line as the scanner and decoders see it: up to its first NUL, and without
// a CR that ends the input.
std::string_view lineText(const SourceLine& line) noexcept;

// Reads the next line's text into line; false at the end of the input.
bool readLine(LineSource& input, std::string& line);

// Shows one line to the scanner. lowerLine is its lower-case copy, name the pending output
// name (in and out). The scanner may read further lines (a MIME header block, the first
// data line after "begin", the "table" lines, a BinHex header); line then holds the last
// one read. Names taken from the content are reduced to a bare file name. Returns the
// section type found, or 0.
int scanSectionLine(BoundaryList& boundaries, LineSource& input, std::string& lowerLine, std::string& line,
                    std::string& name, ScanState& state);

// Copies the body of a text section from input to output (null: read through it and
// write nothing), first skipping the rest of the part header when line is not empty.
// Lines end in CR LF; a quoted-printable body is decoded. Ends at a boundary line (not
// written) or the end of input and returns 1; 0 when the input ends within the header.
// False from the output fails the section: the body is still read through.
struct TextCopy {
    bool headerEnded = true;
    bool written = true;
};
TextCopy copyTextSection(const BoundaryList& boundaries, LineSource& input, ByteSink* output,
                         const std::string& line, bool quotedPrintable);

// Writes one line of a text section: as it stands (plain) or quoted-printable decoded
// (RFC 2045, 6.7), followed by CR LF unless the line ended in a soft break, its decoded
// bytes end in LF, or lineEnds is false. text is changed in place. False when the output
// refused the bytes.
bool writeTextLine(ByteSink& output, char* text, std::size_t length, bool plain, bool lineEnds) noexcept;

}  // namespace kodra
