// Copying of text sections (quoted-printable, 7bit, plain or HTML parts) to their outputs.
#include "decode/text_section_copier.h"

#include "decode/boundary_list.h"
#include "decode/section_scanner.h"
#include "decode/text_decoders.h"
#include "frame/byte_sink.h"

namespace kodra {

bool writeTextLine(ByteSink& output, char* text, std::size_t length, bool plain, std::string_view lineEnd) noexcept {
    bool endLine = !lineEnd.empty();
    if (!plain) {
        if (length > 0 && text[length - 1] == '=') {  // soft line break
            --length;
            endLine = false;
        }
        length = decodeQuotedPrintable(text, length).kept;
        if (length > 0 && text[length - 1] == '\n') endLine = false;
    }
    bool written = length == 0 || output.write(text, length);
    if (endLine) written = output.write(lineEnd.data(), lineEnd.size()) && written;
    return written;
}

bool skipRestOfHeader(const BoundaryList& boundaries, LineSource& input) {
    SourceLine next;
    while (input.next(next)) {
        const std::string_view text = lineText(next);
        if (text.empty() || boundaries.matches(text)) return true;
    }
    return false;
}

TextCopy copyTextSection(const BoundaryList& boundaries, LineSource& input, ByteSink* output,
                         const std::string& line, bool quotedPrintable, TextLineEnds lineEnds) {
    TextCopy result;
    if (!line.empty() && !skipRestOfHeader(boundaries, input)) {
        result.headerEnded = false;
        return result;
    }
    // A blank line is held back, so that the one before the boundary is not written.
    bool blankPending = false;
    std::string_view blankEnd;
    // The line end of the last line that had one: the message's, for a last line without.
    std::string_view lastEnd = lineEndBytes(LineEnd::kCrLf);
    std::string work;  // a quoted-printable line is decoded in place here
    SourceLine next;
    while (input.next(next)) {
        const std::string_view text = lineText(next);
        if (!boundaries.empty() && boundaries.matches(text)) return result;
        if (!output) {
            blankPending = false;
            continue;
        }
        if (blankPending) {
            result.written = output->write(blankEnd.data(), blankEnd.size()) && result.written;
            blankPending = false;
        }
        // A piece of a very long line is continued by the next piece.
        std::string_view end;
        if (!next.continues) {
            if (lineEnds == TextLineEnds::crLf) end = lineEndBytes(LineEnd::kCrLf);
            else if (next.end != LineEnd::kNone) end = lastEnd = lineEndBytes(next.end);
            else end = lastEnd;
        }
        if (text.empty() && next.end != LineEnd::kNone) {
            blankPending = true;
            blankEnd = end;
            continue;
        }
        work.assign(text);
        result.written = writeTextLine(*output, &work[0], work.size(), !quotedPrintable, end) && result.written;
    }
    return result;
}

}  // namespace kodra
