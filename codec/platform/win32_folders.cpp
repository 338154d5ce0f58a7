// Folders on Windows.
#include "platform.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace kodra::platform {

bool makeFolders(const char* path) noexcept {
    if (!path || !*path) return false;
    try {
        const std::string full(path);
        for (std::size_t separator = full.find_first_of("\\/", 1);; separator = full.find_first_of("\\/", separator + 1)) {
            const std::string part = full.substr(0, separator);
            // A drive ("C:") is no folder to create.
            if (!part.empty() && part.back() != ':' && !CreateDirectoryA(part.c_str(), nullptr) &&
                GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
            if (separator == std::string::npos) break;
        }
    } catch (...) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool canWriteInFolder(const char* path) noexcept {
    if (!path || !*path) return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_READONLY);
}

bool createPrivateFolder(char* pattern) noexcept {
    const std::size_t length = pattern ? std::strlen(pattern) : 0;
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0) return false;
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 20) ^
                                  (attempt * 7919ULL);
        for (std::size_t i = length - 6; i < length; ++i) {
            pattern[i] = kDigits[seed % 36];
            seed /= 36;
        }
        if (CreateDirectoryA(pattern, nullptr)) return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    std::memcpy(pattern + length - 6, "XXXXXX", 6);
    return false;
}

bool removeEmptyFolder(const char* path) noexcept { return path && RemoveDirectoryA(path) != 0; }

bool currentFolder(char* path, std::size_t size) noexcept {
    if (!path || size == 0 || size > MAXDWORD) return false;
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(size), path);
    return length > 0 && length < size;
}

}  // namespace kodra::platform
