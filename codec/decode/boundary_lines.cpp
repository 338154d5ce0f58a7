#include "decode/text_decoders.h"

#include <cstring>

namespace kodra {

bool holdsDelimiter(const char* boundary, const char* line) noexcept {
    if (!*boundary) return false;
    // A delimiter is "--" and the boundary (RFC 2046, 5.1.1); the boundary alone may be
    // as short as one character and stand in any data line.
    for (const char* at = std::strstr(line, boundary); at; at = std::strstr(at + 1, boundary))
        if (at - line >= 2 && at[-1] == '-' && at[-2] == '-') return true;
    return false;
}

int isBoundaryLine(const char* boundary, const char* line, int strict) noexcept {
    if (holdsDelimiter(boundary, line)) return 1;
    if (strict) return 0;
    // Separator shapes that mail programs write, accepted even when the boundary
    // itself was never read.
    // The common line has neither shape: it costs one scan, for "=======".
    const bool dashedStart = std::strncmp(line, "----", 4) == 0;
    if (!dashedStart && !std::strstr(line, "=======")) return 0;
    const std::size_t length = std::strlen(line);
    const char* afterFour = length >= 4 ? line + 4 : line + length;
    const bool markAfterFour = std::strstr(afterFour, "=_") != nullptr;
    if (dashedStart) return markAfterFour ? 1 : 0;
    const bool dashesAtFive = length >= 10 && std::strncmp(line + 4, "------", 6) == 0;
    return markAfterFour || dashesAtFive ? 1 : 0;
}

}  // namespace kodra
