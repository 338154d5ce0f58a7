#include "frame/file_names.h"

#include <cstring>

namespace kodra {

bool reduceToContentFileName(char* name) noexcept {
    const char* start = name;
    for (const char* c = name; *c; ++c)
        if (*c == '\\' || *c == '/') start = c + 1;
    std::memmove(name, start, std::strlen(start) + 1);
    if (std::strcmp(name, ".") == 0) std::memcpy(name, "_", 2);
    else if (std::strcmp(name, "..") == 0) std::memcpy(name, "_.", 3);
    return name[0] != '\0';
}

}  // namespace kodra
