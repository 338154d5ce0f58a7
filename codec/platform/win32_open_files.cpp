// Opening files safely on Windows: inputs must be regular files (no device, pipe or
// folder); for outputs no reparse point (symbolic link, junction) is followed, no device
// is opened, and nothing is truncated before the opened object is known to be a regular
// file other than the input.
#include "platform.h"
#include "platform/win32_wide_text.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

namespace kodra::platform {
namespace {

// Sharing like POSIX files: others may read, write, rename or delete while we hold it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kNoFollow = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;

class Handle {
public:
    explicit Handle(HANDLE handle) noexcept : handle_(handle) {}
    ~Handle() {
        if (valid()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const noexcept { return handle_; }
    void reset(HANDLE handle) noexcept {
        if (valid()) CloseHandle(handle_);
        handle_ = handle;
    }
    HANDLE release() noexcept {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE handle_;
};

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) noexcept {
    FileIdentity identity;
    identity.device = info.dwVolumeSerialNumber;
    identity.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return identity;
}

// A plain file on disk: not a directory, not a reparse point, not a device or pipe.
bool isRegularFile(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) noexcept {
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// An existing read-only regular file loses its read-only attribute, changed on the opened
// file itself, never through a reparse point.
bool grantWrite(const wchar_t* path) noexcept {
    const Handle file(CreateFileW(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                                  nullptr, OPEN_EXISTING, kNoFollow, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !isRegularFile(file.get(), info)) return false;
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic)) return false;
    basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic) != 0;
}

// Hands an open handle over to a C stream; the handle is closed on failure.
std::FILE* streamOf(Handle& file, int flags, const char* mode) noexcept {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), flags | _O_BINARY);
    if (descriptor < 0) return nullptr;
    file.release();
    std::FILE* stream = _fdopen(descriptor, mode);
    if (!stream) _close(descriptor);
    return stream;
}

}  // namespace

bool identifyOpenFile(std::FILE* file, FileIdentity& identity) noexcept {
    if (!file) return false;
    const intptr_t handle = _get_osfhandle(_fileno(file));
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == -1 || !GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), &info))
        return false;
    identity = identityOf(info);
    return true;
}

std::FILE* openInputFile(const char* path, FileIdentity* identity) noexcept {
    if (!path || !*path) return nullptr;
    const WidePath wide(path);
    if (!wide) return nullptr;
    Handle file(CreateFileW(wide.get(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    if (identity) *identity = identityOf(info);
    return streamOf(file, _O_RDONLY, "rb");
}

bool seekInputFile(std::FILE* file, std::uint64_t offset) noexcept {
    if (!file || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

std::FILE* standardInput() noexcept {
    // Text mode would turn CR LF into LF and stop at a Ctrl-Z.
    _setmode(_fileno(stdin), _O_BINARY);
    return stdin;
}

std::uint64_t sizeOfOpenFile(std::FILE* file) noexcept {
    if (!file) return 0;
    const intptr_t handle = _get_osfhandle(_fileno(file));
    LARGE_INTEGER size{};
    if (handle == -1 || !GetFileSizeEx(reinterpret_cast<HANDLE>(handle), &size) || size.QuadPart < 0) return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool resizeOpenFile(std::FILE* file, std::uint64_t size) noexcept {
    if (!file || std::fflush(file) != 0 || size > static_cast<std::uint64_t>(INT64_MAX)) return false;
    const intptr_t handle = _get_osfhandle(_fileno(file));
    if (handle == -1) return false;
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return SetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), FileEndOfFileInfo, &end, sizeof end) != 0;
}

bool isReplaceableOutput(const char* path, ProtectedFiles inputs) noexcept {
    if (!path || !*path) return false;
    const WidePath wide(path);
    if (!wide) return false;
    const Handle file(CreateFileW(wide.get(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, kNoFollow,
                                  nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    return isRegularFile(file.get(), info) && !inputs.contains(identityOf(info));
}

OutputFile openOutput(const char* path, OutputMode mode, ProtectedFiles inputs) noexcept {
    OutputFile output;
    if (!path || !*path) return output;
    const WidePath wide(path);
    if (!wide) return output;
    const DWORD access = mode == OutputMode::append ? FILE_APPEND_DATA | SYNCHRONIZE : GENERIC_WRITE;
    // A file this call creates may have to be removed again through its handle.
    const auto open = [&wide, access](DWORD disposition) {
        return CreateFileW(wide.get(), disposition == CREATE_NEW ? access | DELETE : access, kShareAll, nullptr,
                           disposition, kNoFollow, nullptr);
    };
    // Whether this call creates the file: an exclusive attempt first tells it for certain.
    bool created = true;
    Handle file(open(CREATE_NEW));
    if (!file.valid() && GetLastError() == ERROR_FILE_EXISTS && mode != OutputMode::createNew) {
        created = false;
        file.reset(open(OPEN_EXISTING));
        if (!file.valid() && GetLastError() == ERROR_ACCESS_DENIED && grantWrite(wide.get()))
            file.reset(open(OPEN_EXISTING));
    }
    if (!file.valid()) return output;
    BY_HANDLE_FILE_INFORMATION info{};
    bool acceptable = isRegularFile(file.get(), info) && !inputs.contains(identityOf(info));
    if (acceptable && mode == OutputMode::replace && !created) acceptable = SetEndOfFile(file.get()) != 0;
    if (!acceptable) {
        if (created) {
            FILE_DISPOSITION_INFO disposition{};
            disposition.DeleteFile = TRUE;
            SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
        }
        return output;
    }
    std::FILE* stream = mode == OutputMode::append ? streamOf(file, _O_WRONLY | _O_APPEND, "ab")
                                                   : streamOf(file, _O_WRONLY, "wb");
    if (!stream) {
        if (created) DeleteFileW(wide.get());
        return output;
    }
    output.file = stream;
    output.created = created;
    output.identity = identityOf(info);
    return output;
}

std::FILE* openOutputFile(const char* path, const FileIdentity* keep) noexcept {
    return openOutput(path, OutputMode::replace, ProtectedFiles{keep, keep ? 1u : 0u}).file;
}

std::FILE* createNewFile(const char* path) noexcept {
    if (!path || !*path) return nullptr;
    const WidePath wide(path);
    if (!wide) return nullptr;
    // CREATE_NEW refuses anything standing at path, a reparse point included.
    Handle file(CreateFileW(wide.get(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                            kNoFollow, nullptr));
    if (!file.valid()) return nullptr;
    std::FILE* stream = streamOf(file, _O_RDWR, "w+b");
    if (!stream) DeleteFileW(wide.get());
    return stream;
}

bool deleteCreatedFile(const char* path, const FileIdentity& identity) noexcept {
    if (!path || !*path) return false;
    const WidePath wide(path);
    if (!wide) return false;
    // Deleted through a handle on the very file, so that nothing swapped in is removed.
    const Handle file(CreateFileW(wide.get(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                  kNoFollow, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !isRegularFile(file.get(), info) || identityOf(info) != identity) return false;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

MoveResult moveCreatedFile(const char* from, const char* to, const FileIdentity& identity) noexcept {
    if (!from || !*from || !to || !*to) return MoveResult::failed;
    const WidePath wideFrom(from), wideTo(to);
    if (!wideFrom || !wideTo) return MoveResult::failed;
    // Renamed through a handle on the very file, never replacing what stands at the target.
    const Handle file(CreateFileW(wideFrom.get(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                  kNoFollow, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !isRegularFile(file.get(), info) || identityOf(info) != identity) return MoveResult::failed;
    const std::size_t nameBytes = std::wcslen(wideTo.get()) * sizeof(wchar_t);
    const std::size_t size = sizeof(FILE_RENAME_INFO) + nameBytes;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]());
    if (!buffer) return MoveResult::failed;
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.get());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, wideTo.get(), nameBytes);
    if (SetFileInformationByHandle(file.get(), FileRenameInfo, rename, static_cast<DWORD>(size))) return MoveResult::moved;
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? MoveResult::targetTaken : MoveResult::failed;
}

}  // namespace kodra::platform
