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

// Checks, before the first file is changed, that every following piece has a name within
// the path limit, is a regular file (not a folder, FIFO or device) and is not the first file.
bool piecesCanBeRead(const char* firstPath, const platform::FileIdentity& first) noexcept {
    char piece[platform::kMaxPath];
    std::memcpy(piece, firstPath, std::strlen(firstPath) + 1);
    for (;;) {
        if (!nextNumberedPath(piece)) return false;
        if (!fileExists(piece)) return true;
        platform::FileIdentity identity;
        StdioFile readable(platform::openInputFile(piece, &identity));
        if (!readable || identity == first) return false;
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
    char firstFile[platform::kMaxPath];
    std::memcpy(firstFile, firstPath, std::strlen(firstPath) + 1);
    // Opening to append changes nothing yet, and tells the first file's identity.
    platform::OutputFile opened = platform::openOutput(firstFile, platform::OutputMode::append);
    StdioFile first(opened.file);
    if (!first) return 0;
    if (opened.created) {
        first.reset();
        platform::deleteCreatedFile(firstFile, opened.identity);
        return 0;
    }
    if (!piecesCanBeRead(firstFile, opened.identity)) return 0;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBufferSize]);
    if (!buffer) return 0;

    for (;;) {
        if (!nextNumberedPath(firstPath)) return 0;
        if (!fileExists(firstPath)) break;
        // Checked again: the family may have changed since it was first walked.
        platform::FileIdentity identity;
        StdioFile piece(platform::openInputFile(firstPath, &identity));
        if (!piece || identity == opened.identity) return 0;
        if (!appendPiece(piece.get(), first.get(), buffer.get())) return 0;
        piece.reset();
        // Only now that its content is safely in the first file may the piece go, and only
        // when the name still holds the piece that was read.
        if (deleteFlag && !platform::deleteCreatedFile(firstPath, identity)) return 0;
    }
    return closeStdioFile(first) ? 1 : 0;
}

}  // namespace kodra
