// The section scanner: decides whether a line of a mail or news file opens an encoded
// section, of which kind, with which alphabet and under which name.
#pragma once

#include "binhex/binhex_reader.h"
#include "decode/decode_tables.h"
#include "decode/encoding.h"
#include "frame/line_source.h"
#include "yenc/yenc_lines.h"

#include <string>

namespace kodra {

class BoundaryList;

// How the body of a text section is written.
enum class TextBody : unsigned char {
    lines,            // 7bit, plain or HTML text, line by line
    quotedPrintable,  // line by line, decoded (RFC 2045, 6.7)
    raw,              // 8bit or binary: byte for byte
};

// What the scanner reports and its caller keeps between calls for one input: the
// section record without its output.
struct ScanState {
    const DecodeTable* table = nullptr;  // alphabet of the section; set also marks a known section
    TextBody textBody = TextBody::lines;  // of a text section
    DecodeTable privateTable = detail::emptyTable();  // the alphabet of the last "table" header
    BinHexReader binHex;                              // between a BinHex header and its forks
    std::string partName;  // the MIME name of the part being read, for a "begin" line without one
    // What the last section found was called and typed as the message writes them: the
    // name before any decoding or reduction, and the lower-case media type of its MIME
    // header (empty when it had none). For describing parts; the decoder never reads them.
    std::string rawName;
    std::string mediaType;
    bool yenc = false;     // yEnc sections are recognised (never in the classic decodes)
    YencLine yencBegin;    // the "=ybegin" line of a yEnc section
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
// section type found, or 0. With state.yenc, a "=ybegin " line opens a yEnc section, and a
// MIME part whose body begins with one is left to that line.
int scanSectionLine(BoundaryList& boundaries, LineSource& input, std::string& lowerLine, std::string& line,
                    std::string& name, ScanState& state);

}  // namespace kodra
