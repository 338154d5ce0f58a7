#include "frame/line_reader.h"

#include "platform/stdio_unlocked.h"

#include <cstring>

namespace kodra {

char* readTextLine(int* redeliver, std::FILE* input, char* buffer, std::size_t& length) noexcept {
    if (redeliver && *redeliver == 0) {
        // Hand back the line exactly as it was delivered; stripping it again would
        // eat a CR that belongs to its text.
        *redeliver = 1;
        length = std::strlen(buffer);
        return buffer;
    }
    char* line = getsUnlocked(buffer, kMaxLineLength + 1, input);
    if (redeliver) *redeliver = line ? 1 : 0;
    length = 0;
    if (line) {
        length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\n') line[--length] = '\0';
        if (length > 0 && line[length - 1] == '\r') line[--length] = '\0';
    }
    return line;
}

char* readTextLine(int* redeliver, std::FILE* input, char* buffer) noexcept {
    std::size_t length = 0;
    return readTextLine(redeliver, input, buffer, length);
}

}  // namespace kodra
