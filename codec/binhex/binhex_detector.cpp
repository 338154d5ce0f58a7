#include "binhex/binhex.h"

#include "binhex/binhex_decoder_state.h"

#include <cstring>

namespace kodra {

int detectBinHex(const char* line, std::FILE* input) noexcept {
    static constexpr char kOpening[] = "(This file";
    if (line == nullptr || input == nullptr || std::strncmp(line, kOpening, sizeof kOpening - 1) != 0)
        return 0;
    // Lines up to the start line are skipped; only a ":" or "#" opening a line starts one.
    bool lineStart = true;
    for (int c; (c = std::getc(input)) != EOF;) {
        if (lineStart && c == ':') {
            binHexDecoderState().variant = BinHexVariant::binHex40;
            return 1;
        }
        if (lineStart && c == '#') {
            if (std::ungetc(c, input) == EOF) return -1;
            binHexDecoderState().variant = BinHexVariant::hexBin;
            return 2;
        }
        lineStart = c == '\r' || c == '\n';
    }
    return -1;
}

}  // namespace kodra
