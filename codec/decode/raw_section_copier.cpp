// Copying of 8bit and binary parts byte for byte.
#include "decode/raw_section_copier.h"

#include "decode/boundary_list.h"
#include "decode/section_scanner.h"
#include "frame/byte_sink.h"

namespace kodra {

TextCopy copyRawSection(const BoundaryList& boundaries, LineSource& input, ByteSink* output,
                        const std::string& line) {
    TextCopy result;
    if (!line.empty() && !skipRestOfHeader(boundaries, input)) {
        result.headerEnded = false;
        return result;
    }
    // A line's end is held back until the next line shows that it is no boundary line.
    std::string_view heldEnd;
    bool lineStart = true;  // the next piece begins a line: only there may a boundary line begin
    SourceLine next;
    while (input.next(next)) {
        if (lineStart && !boundaries.empty() && boundaries.matches(lineText(next))) return result;
        lineStart = !next.continues;
        if (!output) continue;
        if (!heldEnd.empty()) result.written = output->write(heldEnd.data(), heldEnd.size()) && result.written;
        result.written = output->write(next.text.data(), next.text.size()) && result.written;
        heldEnd = lineEndBytes(next.end);
    }
    // Nothing follows the last line: its end is the part's.
    if (output && !heldEnd.empty()) result.written = output->write(heldEnd.data(), heldEnd.size()) && result.written;
    return result;
}

}  // namespace kodra
