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
// within the path limit and, where something stands there already, that it is a regular
// file other than the source (no link, folder or FIFO).
bool piecesCanBeWritten(const char* sourcePath, platform::ProtectedFiles source, std::uint64_t pieces) noexcept {
    char piece[platform::kMaxPath];
    std::memcpy(piece, sourcePath, std::strlen(sourcePath) + 1);
    for (std::uint64_t i = 0; i < pieces; ++i) {
        if (!nextNumberedPath(piece)) return false;
        if (!platform::isReplaceableOutput(piece, source)) return false;
    }
    return true;
}

}  // namespace

int splitFile(char* path, int size) noexcept {
    if (!path || size < 1 || std::strlen(path) >= platform::kMaxPath || !fileExists(path)) return 0;
    const std::size_t pieceSize = static_cast<std::size_t>(size);
    char sourcePath[platform::kMaxPath];
    std::memcpy(sourcePath, path, std::strlen(path) + 1);

    platform::FileIdentity sourceIdentity;
    StdioFile source(platform::openInputFile(sourcePath, &sourceIdentity));
    if (!source) return 0;
    const platform::ProtectedFiles protectedSource{&sourceIdentity, 1};
    const std::uint64_t length = platform::sizeOfOpenFile(source.get());
    // Every split ends with a short or empty piece.
    if (!piecesCanBeWritten(sourcePath, protectedSource, length / pieceSize + 1)) return 0;
    std::size_t readSize = pieceSize < kCopyBufferSize ? pieceSize : kCopyBufferSize;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[readSize]);
    if (!buffer) return 0;

    for (;;) {
        // Opened against the source again: the family may have changed since it was checked,
        // and a source that grew gets pieces that were never checked.
        if (!nextNumberedPath(path)) return 0;
        StdioFile piece(platform::openOutput(path, platform::OutputMode::replace, protectedSource).file);
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
