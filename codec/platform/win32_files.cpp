// File services on Windows, through the wide-character functions.
#include "platform.h"
#include "platform/win32_wide_text.h"

#include <windows.h>

namespace kodra::platform {

bool pathExists(const char* path) noexcept {
    // The literal name: no wildcard search, and a link itself counts, not its target.
    if (!path || !*path) return false;
    const WidePath wide(path);
    return wide && GetFileAttributesW(wide.get()) != INVALID_FILE_ATTRIBUTES;
}

bool inspectPath(const char* path, PathInfo& info) noexcept {
    info = PathInfo{};
    if (!path || !*path) return false;
    const WidePath wide(path);
    if (!wide) return false;  // no UTF-8: what it would name cannot be told
    const HANDLE file = CreateFileW(wide.get(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION status{};
    const bool known = GetFileInformationByHandle(file, &status) != 0;
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    if (!known) return false;
    info.identity.device = status.dwVolumeSerialNumber;
    info.identity.inode = (static_cast<std::uint64_t>(status.nFileIndexHigh) << 32) | status.nFileIndexLow;
    if (status.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        info.kind = PathKind::symbolicLink;
    } else if (status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        info.kind = PathKind::folder;
    } else if (type == FILE_TYPE_DISK) {
        info.kind = PathKind::regularFile;
        info.size = (static_cast<std::uint64_t>(status.nFileSizeHigh) << 32) | status.nFileSizeLow;
    } else {
        info.kind = PathKind::other;
    }
    return true;
}

bool makeWritable(const char* path) noexcept {
    const WidePath wide(path);
    if (!wide) return false;
    const DWORD attributes = GetFileAttributesW(wide.get());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    return SetFileAttributesW(wide.get(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
}

bool deleteFile(const char* path) noexcept {
    const WidePath wide(path);
    return wide && DeleteFileW(wide.get()) != 0;
}

bool renameWithoutReplacing(const char* from, const char* to) noexcept {
    const WidePath wideFrom(from);
    const WidePath wideTo(to);
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    return wideFrom && wideTo && MoveFileExW(wideFrom.get(), wideTo.get(), 0) != 0;
}

}  // namespace kodra::platform
