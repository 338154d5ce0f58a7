#include "encode/file_checks.h"
#include "encode/numbered_names.h"
#include "frame/stdio_file.h"
#include "frame/file_names.h"
#include "platform/platform.h"

#include <cstring>
#include <memory>
#include <new>

namespace kodra {
namespace {

constexpr std::size_t kCopyBufferSize = 32000;

// Checks, before the first file is changed, that every following piece has a name
// within the path limit, is not the first file and can be read.
bool piecesCanBeRead(const char* firstPath) noexcept {
    char piece[platform::kMaxPath];
    std::memcpy(piece, firstPath, std::strlen(firstPath) + 1);
    for (;;) {
        if (!nextNumberedPath(piece)) return false;
        if (!fileExists(piece)) return true;
        if (mayBeSameFile(firstPath, piece)) return false;
        StdioFile readable = openStdioFile(piece, "rb");
        if (!readable) return false;
        // A directory opens on some systems but fails its first read.
        std::fgetc(readable.get());
        if (std::ferror(readable.get())) return false;
    }
}

// Appends the whole of piece to first; false on a read or write error.
bool appendPiece(std::FILE* piece, std::FILE* first, char* buffer) noexcept {
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, kCopyBufferSize, piece);
        if (got > 0 && std::fwrite(buffer, 1, got, first) != got) return false;
        if (got < kCopyBufferSize) break;
    }
    return std::ferror(piece) == 0 && std::fflush(first) == 0;
}

}  // namespace

int concatenateRelated(int deleteFlag, char* firstPath) noexcept {
    if (!firstPath || std::strlen(firstPath) >= platform::kMaxPath || !fileExists(firstPath))
        return 0;
    if (!piecesCanBeRead(firstPath)) return 0;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBufferSize]);
    if (!buffer) return 0;
    char firstFile[platform::kMaxPath];
    std::memcpy(firstFile, firstPath, std::strlen(firstPath) + 1);
    StdioFile first = openStdioFile(firstFile, "ab");
    if (!first) return 0;

    for (;;) {
        if (!nextNumberedPath(firstPath)) return 0;
        if (!fileExists(firstPath)) break;
        // Checked again: the family may have changed since it was first walked.
        if (mayBeSameFile(firstFile, firstPath)) return 0;
        StdioFile piece = openStdioFile(firstPath, "rb");
        if (!piece || !appendPiece(piece.get(), first.get(), buffer.get())) return 0;
        piece.reset();
        // Only now that its content is safely in the first file may the piece go.
        if (deleteFlag && !platform::deleteFile(firstPath)) return 0;
    }
    return closeStdioFile(first) ? 1 : 0;
}

}  // namespace kodra
