// Safe creation of outputs on POSIX: no link is followed and nothing is emptied before
// the opened object is known to be a regular file other than the job's inputs.
#include "platform.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kodra::platform {
namespace {

constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

FileIdentity identityOf(const struct stat& info) noexcept {
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

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

int openFlags(OutputMode mode) noexcept {
    switch (mode) {
    case OutputMode::replace: return O_WRONLY | O_CREAT | kOpenFlags;
    case OutputMode::append: return O_WRONLY | O_CREAT | O_APPEND | kOpenFlags;
    case OutputMode::createNew: return O_WRONLY | O_CREAT | O_EXCL | kOpenFlags;
    }
    return -1;
}

}  // namespace

bool identifyOpenFile(std::FILE* file, FileIdentity& identity) noexcept {
    struct stat info {};
    if (!file || fstat(fileno(file), &info) != 0) return false;
    identity = identityOf(info);
    return true;
}

bool isReplaceableOutput(const char* path, ProtectedFiles inputs) noexcept {
    if (!path || !*path) return false;
    struct stat info {};
    if (lstat(path, &info) != 0) return errno == ENOENT;
    return S_ISREG(info.st_mode) && !inputs.contains(identityOf(info));
}

std::uint64_t sizeOfOpenFile(std::FILE* file) noexcept {
    struct stat info {};
    if (!file || fstat(fileno(file), &info) != 0 || info.st_size < 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

bool resizeOpenFile(std::FILE* file, std::uint64_t size) noexcept {
    if (!file || std::fflush(file) != 0 || size > static_cast<std::uint64_t>(INT64_MAX)) return false;
    return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

OutputFile openOutput(const char* path, OutputMode mode, ProtectedFiles inputs) noexcept {
    OutputFile output;
    if (!path || !*path) return output;
    const int flags = openFlags(mode);
    // Whether this call creates the file: an exclusive attempt first tells it for certain.
    bool created = true;
    int descriptor = open(path, (flags | O_EXCL), 0666);
    if (descriptor < 0 && errno == EEXIST && mode != OutputMode::createNew) {
        created = false;
        descriptor = open(path, flags & ~O_CREAT);
        if (descriptor < 0 && errno == EACCES && grantWrite(path)) descriptor = open(path, flags & ~O_CREAT);
    }
    if (descriptor < 0) return output;
    struct stat info {};
    bool acceptable = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
                      !inputs.contains(identityOf(info));
    if (acceptable && mode == OutputMode::replace && !created) acceptable = ftruncate(descriptor, 0) == 0;
    // Writes may block as usual from here on.
    const int status = fcntl(descriptor, F_GETFL);
    acceptable = acceptable && status >= 0 && fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK) == 0;
    std::FILE* file = acceptable ? fdopen(descriptor, mode == OutputMode::append ? "ab" : "wb") : nullptr;
    if (!file) {
        close(descriptor);
        if (created) unlink(path);
        return output;
    }
    output.file = file;
    output.created = created;
    output.identity = identityOf(info);
    return output;
}

std::FILE* openOutputFile(const char* path, const FileIdentity* keep) noexcept {
    return openOutput(path, OutputMode::replace, ProtectedFiles{keep, keep ? 1u : 0u}).file;
}

bool deleteCreatedFile(const char* path, const FileIdentity& identity) noexcept {
    if (!path || !*path) return false;
    struct stat info {};
    if (lstat(path, &info) != 0 || !S_ISREG(info.st_mode) || identityOf(info) != identity) return false;
    return unlink(path) == 0;
}

MoveResult moveCreatedFile(const char* from, const char* to, const FileIdentity& identity) noexcept {
    if (!from || !*from || !to || !*to) return MoveResult::failed;
    struct stat info {};
    if (lstat(from, &info) != 0 || !S_ISREG(info.st_mode) || identityOf(info) != identity) return MoveResult::failed;
    // A hard link is made only where nothing stands, so nothing is replaced; the old name
    // goes only once the new one is known to be the same file.
    if (link(from, to) == 0) {
        struct stat moved {};
        if (lstat(to, &moved) == 0 && identityOf(moved) == identity) {
            unlink(from);
            return MoveResult::moved;
        }
        return MoveResult::failed;
    }
    if (errno == EEXIST) return MoveResult::targetTaken;
#if defined(RENAME_NOREPLACE)
    // File systems without hard links may still rename without replacing.
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return MoveResult::moved;
    if (errno == EEXIST) return MoveResult::targetTaken;
#endif
    return MoveResult::failed;
}

}  // namespace kodra::platform
