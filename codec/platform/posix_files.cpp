// File services on POSIX.
#include "platform.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace kodra::platform {

bool pathExists(const char* pathOrPattern) noexcept {
    if (!pathOrPattern || !*pathOrPattern) return false;
    if (std::strpbrk(pathOrPattern, "*?") == nullptr) {
        struct stat info {};
        return lstat(pathOrPattern, &info) == 0;  // a dangling link still occupies the name
    }
    glob_t matches{};
    const int result = glob(pathOrPattern, GLOB_NOSORT | GLOB_NOESCAPE, nullptr, &matches);
    const bool found = result == 0 && matches.gl_pathc > 0;
    globfree(&matches);
    return found;
}

bool makeWritable(const char* path) noexcept {
    struct stat info {};
    if (stat(path, &info) != 0) return false;
    if (info.st_mode & S_IWUSR) return true;
    return chmod(path, (info.st_mode & 07777) | S_IWUSR) == 0;
}

bool deleteFile(const char* path) noexcept { return unlink(path) == 0; }

std::FILE* createNewFile(const char* path) noexcept {
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
