// File services on Windows.
#include "platform.h"

#include <windows.h>

namespace kodra::platform {

bool pathExists(const char* pathOrPattern) noexcept {
    if (!pathOrPattern || !*pathOrPattern) return false;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pathOrPattern, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool makeWritable(const char* path) noexcept {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    return SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
}

bool deleteFile(const char* path) noexcept { return DeleteFileA(path) != 0; }

}  // namespace kodra::platform
