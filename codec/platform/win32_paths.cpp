// Paths on Windows: "\" separates directories, and the system accepts "/" as well.
#include "platform.h"

namespace kodra::platform {

const char* lastPathSeparator(const char* path) noexcept {
    const char* last = nullptr;
    for (const char* c = path; *c; ++c)
        if (*c == '\\' || *c == '/') last = c;
    return last;
}

char* lastPathSeparator(char* path) noexcept {
    return const_cast<char*>(lastPathSeparator(static_cast<const char*>(path)));
}

}  // namespace kodra::platform
