// Folders on Windows, through the wide-character functions.
#include "platform.h"
#include "platform/win32_wide_text.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace kodra::platform {

bool makeFolders(const char* path) noexcept {
    if (!path || !*path) return false;
    std::wstring full;
    if (!utf8ToWide(path, full, true)) return false;
    try {
        for (std::size_t separator = full.find_first_of(L"\\/", 1);; separator = full.find_first_of(L"\\/", separator + 1)) {
            const std::wstring part = full.substr(0, separator);
            // A drive ("C:") is no folder to create.
            if (!part.empty() && part.back() != L':' && !CreateDirectoryW(part.c_str(), nullptr) &&
                GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
            if (separator == std::wstring::npos) break;
        }
    } catch (...) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(full.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool canWriteInFolder(const char* path) noexcept {
    if (!path || !*path) return false;
    const WidePath wide(path);
    if (!wide) return false;
    const DWORD attributes = GetFileAttributesW(wide.get());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_READONLY);
}

bool createPrivateFolder(char* pattern) noexcept {
    const std::size_t length = pattern ? std::strlen(pattern) : 0;
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0) return false;
    std::wstring wide;
    if (!utf8ToWide(pattern, wide, true)) return false;
    const std::size_t wideLength = wide.size();  // the six ASCII "X" end it in UTF-16 too
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 20) ^
                                  (attempt * 7919ULL);
        for (std::size_t i = 0; i < 6; ++i) {
            pattern[length - 6 + i] = kDigits[seed % 36];
            wide[wideLength - 6 + i] = static_cast<wchar_t>(pattern[length - 6 + i]);
            seed /= 36;
        }
        if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    std::memcpy(pattern + length - 6, "XXXXXX", 6);
    return false;
}

bool removeEmptyFolder(const char* path) noexcept {
    const WidePath wide(path);
    return wide && RemoveDirectoryW(wide.get()) != 0;
}

bool currentFolder(char* path, std::size_t size) noexcept {
    if (!path || size == 0) return false;
    std::wstring wide;
    std::string utf8;
    try {
        wide.resize(MAX_PATH);
        for (;;) {
            const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(wide.size()), &wide[0]);
            if (length == 0) return false;
            if (length < wide.size()) {
                wide.resize(length);
                break;
            }
            wide.resize(length);  // the room it asks for, terminator included
        }
    } catch (...) {
        return false;
    }
    if (!wideToUtf8(wide, utf8) || utf8.size() >= size) return false;
    std::memcpy(path, utf8.c_str(), utf8.size() + 1);
    return true;
}

}  // namespace kodra::platform
