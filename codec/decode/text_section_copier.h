// Copying of text sections (quoted-printable, 7bit, plain or HTML parts) to their outputs.
#pragma once

#include "frame/line_source.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kodra {

class BoundaryList;
class ByteSink;

// The line ends a text section is written with.
enum class TextLineEnds : unsigned char {
    message,  // each line's own; a last line without one takes the one before it (CR LF first)
    crLf,     // CR LF after every line
};

// How a section copy ended. False from the output fails the section: its body is still
// read through.
struct TextCopy {
    bool headerEnded = true;  // false when the input ended within the part header
    bool written = true;
};

// Reads through the rest of a part header, up to its blank line or a boundary line;
// false when the input ends first.
bool skipRestOfHeader(const BoundaryList& boundaries, LineSource& input);

// Copies the body of a text section from input to output (null: read through it and
// write nothing), first skipping the rest of the part header when line is not empty. A
// quoted-printable body is decoded. Ends at a boundary line (not written, nor the blank
// line right before it) or the end of input.
TextCopy copyTextSection(const BoundaryList& boundaries, LineSource& input, ByteSink* output,
                         const std::string& line, bool quotedPrintable, TextLineEnds lineEnds);

// Writes one line of a text section: as it stands (plain) or quoted-printable decoded
// (RFC 2045, 6.7), followed by lineEnd unless the line ended in a soft break or its
// decoded bytes end in LF. text is changed in place. False when the output refused the
// bytes.
bool writeTextLine(ByteSink& output, char* text, std::size_t length, bool plain, std::string_view lineEnd) noexcept;

}  // namespace kodra
