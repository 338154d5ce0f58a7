#include "frame/file_names.h"

#include <cstring>

namespace kodra {

bool reduceToContentFileName(char* name) noexcept {
    const char* start = name;
    for (const char* c = name; *c; ++c)
        if (*c == '\\' || *c == '/') start = c + 1;
    std::memmove(name, start, std::strlen(start) + 1);
    // ";" separates the names handed back to DecodeFile, and control characters would
    // reach terminals and prompts: neither may come from a message.
    for (char* c = name; *c; ++c) {
        const auto code = static_cast<unsigned char>(*c);
        if (code == ';' || code < 0x20 || code == 0x7F) *c = '_';
    }
    if (std::strcmp(name, ".") == 0) std::memcpy(name, "_", 2);
    else if (std::strcmp(name, "..") == 0) std::memcpy(name, "_.", 3);
    return name[0] != '\0';
}

}  // namespace kodra
