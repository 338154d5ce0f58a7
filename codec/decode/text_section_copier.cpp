// Copying of text sections (quoted-printable, 7bit, plain or HTML parts) to their outputs.
#include "decode/boundary_list.h"
#include "decode/section_scanner.h"
#include "decode/text_decoders.h"
#include "frame/byte_sink.h"

#include <string>

namespace kodra {

bool writeTextLine(ByteSink& output, char* text, std::size_t length, bool plain, bool lineEnds) noexcept {
    bool endLine = lineEnds;
    if (!plain) {
        if (length > 0 && text[length - 1] == '=') {  // soft line break
            --length;
            endLine = false;
        }
        length = decodeQuotedPrintable(text, length).kept;
        if (length > 0 && text[length - 1] == '\n') endLine = false;
    }
    bool written = length == 0 || output.write(text, length);
    if (endLine) written = output.write("\r\n", 2) && written;
    return written;
}

TextCopy copyTextSection(const BoundaryList& boundaries, LineSource& input, ByteSink* output,
                         const std::string& line, bool quotedPrintable) {
    TextCopy result;
    SourceLine next;
    if (!line.empty()) {
        for (;;) {
            if (!input.next(next)) {
                result.headerEnded = false;
                return result;
            }
            const std::string_view text = lineText(next);
            if (text.empty() || boundaries.matches(text)) break;
        }
    }
    // A blank line is held back, so that the one before the boundary is not written.
    bool blankPending = false;
    std::string work;  // a quoted-printable line is decoded in place here
    while (input.next(next)) {
        const std::string_view text = lineText(next);
        if (!boundaries.empty() && boundaries.matches(text)) return result;
        if (!output) {
            blankPending = false;
            continue;
        }
        if (blankPending) {
            result.written = output->write("\r\n", 2) && result.written;
            blankPending = false;
        }
        // Any line end (CR LF or LF, or the end of the input) is written as CR LF; a piece of a
        // very long line is continued by the next piece.
        if (text.empty() && next.end != LineEnd::kNone) {
            blankPending = true;
            continue;
        }
        work.assign(text);
        result.written =
            writeTextLine(*output, &work[0], work.size(), !quotedPrintable, !next.continues) && result.written;
    }
    return result;
}

}  // namespace kodra
