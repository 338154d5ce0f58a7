#include "encode/file_checks.h"
#include "encode/numbered_names.h"
#include "frame/stdio_file.h"
#include "frame/file_names.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace kodra {
namespace {

constexpr std::size_t kCopyBufferSize = 32000;

// Checks, before anything is written, that every piece the split will make has a name
// within the path limit, is not the source and, where it exists already, may be
// overwritten.
bool piecesCanBeWritten(const char* sourcePath, std::uint64_t pieces) noexcept {
    char piece[platform::kMaxPath];
    std::memcpy(piece, sourcePath, std::strlen(sourcePath) + 1);
    for (std::uint64_t i = 0; i < pieces; ++i) {
        if (!nextNumberedPath(piece)) return false;
        if (!fileExists(piece)) continue;
        if (mayBeSameFile(sourcePath, piece)) return false;
        // Opening for update proves the file may be written without changing it.
        StdioFile existing = openStdioFile(piece, "r+b");
        if (!existing) return false;
    }
    return true;
}

}  // namespace

int splitFile(char* path, int size) noexcept {
    if (!path || size < 1 || std::strlen(path) >= platform::kMaxPath || !fileExists(path)) return 0;
    const std::size_t pieceSize = static_cast<std::size_t>(size);
    char sourcePath[platform::kMaxPath];
    std::memcpy(sourcePath, path, std::strlen(path) + 1);

    std::uint64_t length = 0;
    if (!regularFileSize(sourcePath, length)) return 0;
    StdioFile source = openStdioFile(sourcePath, "rb");
    if (!source) return 0;
    // Every split ends with a short or empty piece.
    if (!piecesCanBeWritten(sourcePath, length / pieceSize + 1)) return 0;
    std::size_t readSize = pieceSize < kCopyBufferSize ? pieceSize : kCopyBufferSize;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[readSize]);
    if (!buffer) return 0;

    for (;;) {
        // A source that grew since it was measured gets its further pieces checked here.
        if (!nextNumberedPath(path)) return 0;
        if (fileExists(path) && mayBeSameFile(sourcePath, path)) return 0;
        StdioFile piece = openStdioFile(path, "wb");
        if (!piece) return 0;
        std::size_t owed = pieceSize;
        bool sourceEnded = false;
        while (owed > 0) {
            if (owed < readSize) readSize = owed;
            const std::size_t got = std::fread(buffer.get(), 1, readSize, source.get());
            if (got == 0) {
                sourceEnded = true;
                break;
            }
            if (std::fwrite(buffer.get(), 1, got, piece.get()) != got) return 0;
            owed -= got;
        }
        if (!closeStdioFile(piece)) return 0;
        if (sourceEnded) return std::ferror(source.get()) ? 0 : 1;
    }
}

}  // namespace kodra
