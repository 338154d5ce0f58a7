// Opening of files to read on POSIX: only regular files, so that a FIFO or a device named
// as input can neither block the open nor feed endless data.
#include "platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

namespace kodra::platform {

std::FILE* openInputFile(const char* path, FileIdentity* identity) noexcept {
    if (!path || !*path) return nullptr;
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) return nullptr;
    struct stat info {};
    const int flags = fcntl(descriptor, F_GETFL);
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(descriptor);
        return nullptr;
    }
    std::FILE* file = fdopen(descriptor, "rb");
    if (!file) {
        close(descriptor);
        return nullptr;
    }
    if (identity)
        *identity = FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return file;
}

bool seekInputFile(std::FILE* file, std::uint64_t offset) noexcept {
    if (!file || offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::FILE* standardInput() noexcept {
    return stdin;  // POSIX streams have no text mode
}

}  // namespace kodra::platform
