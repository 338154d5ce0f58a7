// File services on POSIX.
#include "platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kodra::platform {

bool pathExists(const char* path) noexcept {
    if (!path || !*path) return false;
    struct stat info {};
    return lstat(path, &info) == 0;  // a dangling link still occupies the name
}

bool inspectPath(const char* path, PathInfo& info) noexcept {
    info = PathInfo{};
    if (!path || !*path) return false;
    struct stat status {};
    if (lstat(path, &status) != 0) return errno == ENOENT || errno == ENOTDIR;
    info.identity = FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                                 static_cast<std::uint64_t>(status.st_ino)};
    if (S_ISREG(status.st_mode)) {
        info.kind = PathKind::regularFile;
        info.size = status.st_size < 0 ? 0 : static_cast<std::uint64_t>(status.st_size);
    } else if (S_ISDIR(status.st_mode)) {
        info.kind = PathKind::folder;
    } else if (S_ISLNK(status.st_mode)) {
        info.kind = PathKind::symbolicLink;
    } else {
        info.kind = PathKind::other;
    }
    return true;
}

bool makeWritable(const char* path) noexcept {
    // Changed on the opened file, so that a link at path never passes the change on.
    const int descriptor = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) return false;
    struct stat info {};
    bool writable = fstat(descriptor, &info) == 0;
    if (writable && !(info.st_mode & S_IWUSR)) writable = fchmod(descriptor, (info.st_mode & 07777) | S_IWUSR) == 0;
    close(descriptor);
    return writable;
}

bool deleteFile(const char* path) noexcept { return path && unlink(path) == 0; }

bool renameWithoutReplacing(const char* from, const char* to) noexcept {
    // A hard link fails when the name is taken, which rename would silently replace.
    if (!from || !to || link(from, to) != 0) return false;
    if (unlink(from) != 0) {
        unlink(to);
        return false;
    }
    return true;
}

std::FILE* createNewFile(const char* path) noexcept {
    if (!path || !*path) return nullptr;
    // O_EXCL with O_CREAT also refuses a symbolic link standing at path.
    const int descriptor = open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) return nullptr;
    std::FILE* file = fdopen(descriptor, "w+b");
    if (!file) {
        close(descriptor);
        unlink(path);
    }
    return file;
}

}  // namespace kodra::platform
