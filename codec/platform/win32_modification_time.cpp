// Modification times on Windows.
#include "platform.h"
#include "platform/win32_wide_text.h"

#include <windows.h>

namespace kodra::platform {

bool lastModified(const char* path, Ticks& ticks) noexcept {
    if (!path || !*path) return false;
    const WidePath wide(path);
    if (!wide) return false;
    const HANDLE file = CreateFileW(wide.get(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME written{};
    const bool known = GetFileTime(file, nullptr, nullptr, &written) != 0;
    CloseHandle(file);
    if (!known) return false;
    // A FILETIME counts the same 100-nanosecond ticks since 1601.
    ticks = static_cast<Ticks>((static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
    return true;
}

}  // namespace kodra::platform
