// Modification times on POSIX.
#include "platform.h"

#include <sys/stat.h>

namespace kodra::platform {

bool lastModified(const char* path, Ticks& ticks) noexcept {
    if (!path || !*path) return false;
    struct stat info {};
    if (lstat(path, &info) != 0) return false;
    // Seconds from 1601-01-01 to 1970-01-01.
    constexpr Ticks kUnixEpoch = 11644473600;
    ticks = (static_cast<Ticks>(info.st_mtim.tv_sec) + kUnixEpoch) * kTicksPerSecond +
            static_cast<Ticks>(info.st_mtim.tv_nsec) / 100;
    return true;
}

}  // namespace kodra::platform
