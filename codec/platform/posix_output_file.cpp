// Safe creation of decoded files on POSIX: no link is followed and nothing is truncated
// before the opened object is known to be a regular file other than the input.
#include "platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kodra::platform {
namespace {

constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

// An existing read-only regular file gets its owner's write permission, changed on the
// opened file itself, never through a link.
bool grantWrite(const char* path) noexcept {
    const int descriptor = open(path, O_RDONLY | kOpenFlags);
    if (descriptor < 0) return false;
    struct stat info {};
    const bool granted = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
                         fchmod(descriptor, (info.st_mode & 07777) | S_IWUSR) == 0;
    close(descriptor);
    return granted;
}

}  // namespace

bool identifyOpenFile(std::FILE* file, FileIdentity& identity) noexcept {
    struct stat info {};
    if (!file || fstat(fileno(file), &info) != 0) return false;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    return true;
}

bool isReplaceableOutput(const char* path, const FileIdentity* keep) noexcept {
    if (!path || !*path) return false;
    struct stat info {};
    if (lstat(path, &info) != 0) return errno == ENOENT;
    return S_ISREG(info.st_mode) &&
           !(keep && static_cast<std::uint64_t>(info.st_dev) == keep->device &&
             static_cast<std::uint64_t>(info.st_ino) == keep->inode);
}

std::uint64_t sizeOfOpenFile(std::FILE* file) noexcept {
    struct stat info {};
    if (!file || fstat(fileno(file), &info) != 0 || info.st_size < 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::FILE* openOutputFile(const char* path, const FileIdentity* keep) noexcept {
    if (!path || !*path) return nullptr;
    int descriptor = open(path, O_WRONLY | O_CREAT | kOpenFlags, 0666);
    if (descriptor < 0 && errno == EACCES && grantWrite(path))
        descriptor = open(path, O_WRONLY | O_CREAT | kOpenFlags, 0666);
    if (descriptor < 0) return nullptr;
    struct stat info {};
    const bool acceptable =
        fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
        !(keep && static_cast<std::uint64_t>(info.st_dev) == keep->device &&
          static_cast<std::uint64_t>(info.st_ino) == keep->inode);
    if (!acceptable || ftruncate(descriptor, 0) != 0) {
        close(descriptor);
        return nullptr;
    }
    // Writes may block as usual from here on.
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags >= 0) fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = fdopen(descriptor, "wb");
    if (!file) close(descriptor);
    return file;
}

}  // namespace kodra::platform
