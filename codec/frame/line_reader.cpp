#include "frame/line_reader.h"

#include <cstring>

namespace kodra {

char* readTextLine(int* redeliver, std::FILE* input, char* buffer) noexcept {
    if (redeliver && *redeliver == 0) {
        // Hand back the line exactly as it was delivered; stripping it again would
        // eat a CR that belongs to its text.
        *redeliver = 1;
        return buffer;
    }
    char* line = std::fgets(buffer, kMaxLineLength + 1, input);
    if (redeliver) *redeliver = line ? 1 : 0;
    if (line) {
        std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\n') line[--length] = '\0';
        if (length > 0 && line[length - 1] == '\r') line[--length] = '\0';
    }
    return line;
}

}  // namespace kodra
