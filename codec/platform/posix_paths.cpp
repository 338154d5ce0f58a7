// Paths on POSIX: "/" separates directories.
#include "platform.h"

#include <cstring>

namespace kodra::platform {

const char* lastPathSeparator(const char* path) noexcept { return std::strrchr(path, '/'); }

char* lastPathSeparator(char* path) noexcept { return std::strrchr(path, '/'); }

}  // namespace kodra::platform
