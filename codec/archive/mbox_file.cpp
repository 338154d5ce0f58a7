// Ranges of mbox files and blocks of mbox streams, cut at separating "From " lines.
#include "archive/mbox_file.h"
#include "archive/mbox_from_lines.h"
#include "platform/platform.h"

#include <algorithm>
#include <limits>
#include <new>

namespace kodra {
namespace {

constexpr std::size_t kWindow = 64 * 1024;
// A separator is recognised from the three bytes before its "From ".
constexpr std::size_t kLookBack = 3;

// Reads up to size bytes at offset; the count read, or -1 on failure.
long long readAt(std::FILE* file, long long offset, char* buffer, std::size_t size) noexcept {
    if (!platform::seekInputFile(file, static_cast<std::uint64_t>(offset))) return -1;
    const std::size_t got = std::fread(buffer, 1, size, file);
    if (got < size && std::ferror(file)) return -1;
    return static_cast<long long>(got);
}

// The offset of the first separating "From " line at or after from, or the end of what
// could be read; false when reading failed.
bool nextFromLine(std::FILE* file, long long from, std::vector<char>& window, long long& found) noexcept {
    for (;;) {
        const long long start = from > static_cast<long long>(kLookBack) ? from - static_cast<long long>(kLookBack) : 0;
        const long long got = readAt(file, start, window.data(), window.size());
        if (got < 0) return false;
        const std::string_view bytes(window.data(), static_cast<std::size_t>(got));
        const std::size_t at = findMboxFromLine(bytes, static_cast<std::size_t>(from - start), start == 0);
        if (at != std::string_view::npos) {
            found = start + static_cast<long long>(at);
            return true;
        }
        if (static_cast<std::size_t>(got) < window.size()) {
            found = start + got;  // the end of the file
            return true;
        }
        // Indexes from size - 4 on were not tested: their "From " did not fit yet.
        from = start + got - static_cast<long long>(kMboxFromPrefix.size()) + 1;
    }
}

}  // namespace

bool cutMboxFile(std::FILE* file, std::size_t chunkSize, std::vector<MboxRange>& ranges, std::string& error) {
    ranges.clear();
    // The ranges cover the file as it is now; one that shrinks later fails to be read.
    const long long size = static_cast<long long>(platform::sizeOfOpenFile(file));
    if (size <= 0) return true;
    try {
        std::vector<char> window(kWindow);
        for (long long start = 0; start < size;) {
            long long next = size;
            if (chunkSize != 0 && size - start > static_cast<long long>(chunkSize) &&
                !nextFromLine(file, start + static_cast<long long>(chunkSize), window, next)) {
                error = "cannot read the file";
                return false;
            }
            next = std::min(next, size);
            ranges.push_back(MboxRange{start, next - start});
            start = next;
        }
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        return false;
    }
    return true;
}

bool readMboxStream(std::FILE* stream, std::size_t chunkSize,
                    const std::function<bool(long long offset, std::string_view block)>& visit) {
    if (!stream) return false;
    std::string pending;  // bytes from a separating "From " line (or the start) on
    long long offset = 0;
    std::size_t searched = 0;  // no separator at or after chunkSize lies before this index
    try {
        std::vector<char> buffer(kWindow);
        for (;;) {
            const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), stream);
            if (got == 0) break;
            pending.append(buffer.data(), got);
            if (chunkSize == 0) continue;
            for (;;) {
                if (pending.size() < chunkSize) break;
                const std::size_t from = std::max(searched, chunkSize);
                const std::size_t at = findMboxFromLine(pending, from, offset == 0);
                if (at == std::string_view::npos) {
                    // Indexes whose "From " did not fit are tested again with more bytes.
                    const std::size_t fit = pending.size() >= kMboxFromPrefix.size() - 1
                                                ? pending.size() - (kMboxFromPrefix.size() - 1)
                                                : 0;
                    searched = std::max(from, fit);
                    break;
                }
                if (!visit(offset, std::string_view(pending).substr(0, at))) return true;
                pending.erase(0, at);
                offset += static_cast<long long>(at);
                searched = 0;
            }
        }
        if (std::ferror(stream)) return false;
        if (!pending.empty() && !visit(offset, pending)) return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace kodra
