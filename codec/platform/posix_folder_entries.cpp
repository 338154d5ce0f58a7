// Listing a folder on POSIX.
#include "platform.h"

#include <dirent.h>

#include <cstring>

namespace kodra::platform {

bool listFolder(const char* path, void (*visit)(void* context, const char* name), void* context) noexcept {
    if (!path || !*path || !visit) return false;
    DIR* folder = opendir(path);
    if (!folder) return false;
    while (const dirent* entry = readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        visit(context, entry->d_name);
    }
    closedir(folder);
    return true;
}

}  // namespace kodra::platform
