// Folders on POSIX.
#include "platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kodra::platform {

bool makeFolders(const char* path) noexcept {
    if (!path || !*path) return false;
    try {
        const std::string full(path);
        // Each parent in turn, then the folder itself; an existing one is fine.
        for (std::size_t slash = full.find('/', 1);; slash = full.find('/', slash + 1)) {
            const std::string part = full.substr(0, slash);
            if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
            if (slash == std::string::npos) break;
        }
    } catch (...) {
        return false;
    }
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool canWriteInFolder(const char* path) noexcept {
    struct stat info {};
    return path && *path && stat(path, &info) == 0 && S_ISDIR(info.st_mode) && access(path, W_OK | X_OK) == 0;
}

bool createPrivateFolder(char* pattern) noexcept {
    const std::size_t length = pattern ? std::strlen(pattern) : 0;
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0) return false;
    return mkdtemp(pattern) != nullptr;
}

bool removeEmptyFolder(const char* path) noexcept { return path && rmdir(path) == 0; }

bool currentFolder(char* path, std::size_t size) noexcept {
    return path && size > 0 && getcwd(path, size) != nullptr;
}

}  // namespace kodra::platform
