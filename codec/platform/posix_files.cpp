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

bool copyFileReplacing(const char* source, const char* target) noexcept {
    // Through openOutputFile: a link or a folder at target is refused, never written through.
    std::FILE* in = openInputFile(source);
    if (!in) return false;
    std::FILE* out = openOutputFile(target, nullptr);
    if (!out) {
        std::fclose(in);
        return false;
    }
    char chunk[16384];
    std::size_t got = 0;
    bool written = true;
    while (written && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0) written = std::fwrite(chunk, 1, got, out) == got;
    written = written && !std::ferror(in);
    std::fclose(in);
    return std::fclose(out) == 0 && written;
}

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
