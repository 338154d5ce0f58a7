// Listing a folder on Windows.
#include "platform.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace kodra::platform {

bool listFolder(const char* path, void (*visit)(void* context, const char* name), void* context) noexcept {
    if (!path || !*path || !visit) return false;
    std::string pattern;
    try {
        pattern = path;
        if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
        pattern += '*';  // "?" and "*" cannot occur in the folder's own name on Windows
    } catch (...) {
        return false;
    }
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
        visit(context, entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return true;
}

}  // namespace kodra::platform
