// File services on Windows.
#include "platform.h"

#include <windows.h>

namespace kodra::platform {

bool pathExists(const char* path) noexcept {
    // The literal name: no wildcard search, and a link itself counts, not its target.
    return path && *path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool inspectPath(const char* path, PathInfo& info) noexcept {
    info = PathInfo{};
    if (!path || !*path) return false;
    const HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES,
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
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    return SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
}

bool deleteFile(const char* path) noexcept { return DeleteFileA(path) != 0; }

}  // namespace kodra::platform
