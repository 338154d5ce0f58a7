// Listing a folder on Windows, through the wide-character functions.
#include "platform.h"
#include "platform/win32_wide_text.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace kodra::platform {

bool listFolder(const char* path, void (*visit)(void* context, const char* name), void* context) noexcept {
    if (!path || !*path || !visit) return false;
    std::wstring pattern;
    std::string name;
    if (!utf8ToWide(path, pattern, true)) return false;
    try {
        if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
        pattern += L'*';  // "?" and "*" cannot occur in the folder's own name on Windows
        name.reserve(MAX_PATH * 3);  // the longest entry name, as UTF-8
    } catch (...) {
        return false;
    }
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool complete = true;
    do {
        if (std::wcscmp(entry.cFileName, L".") == 0 || std::wcscmp(entry.cFileName, L"..") == 0) continue;
        // A name with an unpaired surrogate has no UTF-8 form that would reach it again.
        if (!wideToUtf8(entry.cFileName, name)) {
            complete = false;
            continue;
        }
        visit(context, name.c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return complete;
}

}  // namespace kodra::platform
