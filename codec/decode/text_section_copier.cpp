// Copying of text sections (quoted-printable, 7bit, plain or HTML parts) to their files.
#include "decode/boundary_list.h"
#include "decode/section_scanner.h"
#include "decode/text_decoders.h"
#include "frame/line_reader.h"
#include "platform/stdio_unlocked.h"

#include <cstring>

namespace kodra {

void writeTextLine(std::FILE* output, char* text, bool plain, bool lineEnds) noexcept {
    if (!output) return;
    std::size_t length = std::strlen(text);
    bool endLine = lineEnds;
    if (!plain) {
        if (length > 0 && text[length - 1] == '=') {  // soft line break
            --length;
            endLine = false;
        }
        length = decodeQuotedPrintable(text, length).kept;
        if (length > 0 && text[length - 1] == '\n') endLine = false;
    }
    if (length > 0) writeUnlocked(text, 1, length, output);
    if (endLine) writeUnlocked("\r\n", 1, 2, output);
}

int copyTextSection(const BoundaryList& boundaries, std::FILE* input, std::FILE* output, char* line,
                    int quotedPrintable) noexcept {
    if (line[0] != '\0') {
        for (;;) {
            if (!readTextLine(nullptr, input, line)) return 0;
            if (line[0] == '\0' || boundaries.matches(line)) break;
        }
    }
    // A blank line is held back, so that the one before the boundary is not written.
    bool blankPending = false;
    while (getsUnlocked(line, kMaxLineLength + 1, input)) {
        std::size_t length = std::strlen(line);
        // Any line end (CR LF, LF or CR) is taken off and written as CR LF; a piece of a
        // longer line has none and is continued by the next piece.
        const bool lineEnds = length > 0 && line[length - 1] == '\n';
        if (lineEnds) line[--length] = '\0';
        if ((lineEnds || std::feof(input)) && length > 0 && line[length - 1] == '\r') line[--length] = '\0';
        if (!boundaries.empty() && boundaries.matches(line)) return 1;
        if (blankPending) {
            writeTextLine(output, line + length, true, true);
            blankPending = false;
        }
        if (length == 0 && lineEnds) {
            blankPending = true;
            continue;
        }
        writeTextLine(output, line, quotedPrintable == 0, lineEnds || std::feof(input));
    }
    return 1;
}

}  // namespace kodra
