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

// The file read in windows of kWindow bytes; the last one is kept, so that ranges shorter
// than a window need no read of their own.
class FileWindow {
public:
    explicit FileWindow(std::FILE* file) : file_(file), bytes_(kWindow) {}

    // Sets found to the offset of the first separating "From " line at or after from, or to
    // the end of the file; false when reading failed.
    bool nextFromLine(long long from, long long& found) {
        const long long lookBack = static_cast<long long>(kLookBack);
        const long long start = from > lookBack ? from - lookBack : 0;
        if (offset_ < 0 || start < offset_ || start >= offset_ + static_cast<long long>(length_)) {
            if (!load(start)) return false;
        }
        for (;;) {
            const std::string_view bytes(bytes_.data(), length_);
            const std::size_t at = findMboxFromLine(bytes, static_cast<std::size_t>(from - offset_), offset_ == 0);
            const long long end = offset_ + static_cast<long long>(length_);
            if (at != std::string_view::npos) {
                found = offset_ + static_cast<long long>(at);
                return true;
            }
            if (atEnd_) {
                found = end;
                return true;
            }
            // The last four indexes were not tested: their "From " did not fit yet.
            from = std::max(from, end - static_cast<long long>(kMboxFromPrefix.size()) + 1);
            if (!load(from - lookBack)) return false;
        }
    }

private:
    bool load(long long offset) {
        offset_ = -1;
        if (!platform::seekInputFile(file_, static_cast<std::uint64_t>(offset))) return false;
        length_ = std::fread(bytes_.data(), 1, bytes_.size(), file_);
        if (length_ < bytes_.size() && std::ferror(file_)) return false;
        atEnd_ = length_ < bytes_.size();
        offset_ = offset;
        return true;
    }

    std::FILE* file_;
    std::vector<char> bytes_;
    long long offset_ = -1;  // where bytes_ was read; -1: nothing held
    std::size_t length_ = 0;
    bool atEnd_ = false;  // the read stopped at the end of the file
};

}  // namespace

bool cutMboxFile(std::FILE* file, std::size_t chunkSize, std::vector<MboxRange>& ranges, std::string& error) {
    ranges.clear();
    // The ranges cover the file as it is now; one that shrinks later fails to be read.
    const long long size = static_cast<long long>(platform::sizeOfOpenFile(file));
    if (size <= 0) return true;
    try {
        FileWindow window(file);
        for (long long start = 0; start < size;) {
            long long next = size;
            if (chunkSize != 0 && size - start > static_cast<long long>(chunkSize) &&
                !window.nextFromLine(start + static_cast<long long>(chunkSize), next)) {
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
    std::string pending;  // from index begin on: bytes from a separating "From " line (or the start)
    std::size_t begin = 0;
    long long offset = 0;      // of pending[begin]
    std::size_t searched = 0;  // relative to begin: no separator at or after chunkSize lies before it
    try {
        std::vector<char> buffer(kWindow);
        for (;;) {
            const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), stream);
            if (got == 0) break;
            // Blocks handed out leave the buffer once per read, not once per block.
            pending.erase(0, begin);
            begin = 0;
            pending.append(buffer.data(), got);
            if (chunkSize == 0) continue;
            for (;;) {
                const std::string_view rest = std::string_view(pending).substr(begin);
                if (rest.size() < chunkSize) break;
                const std::size_t from = std::max(searched, chunkSize);
                const std::size_t at = findMboxFromLine(rest, from, offset == 0);
                if (at == std::string_view::npos) {
                    // Indexes whose "From " did not fit are tested again with more bytes.
                    const std::size_t untested = kMboxFromPrefix.size() - 1;
                    searched = std::max(from, rest.size() > untested ? rest.size() - untested : 0);
                    break;
                }
                if (!visit(offset, rest.substr(0, at))) return true;
                begin += at;
                offset += static_cast<long long>(at);
                searched = 0;
            }
        }
        if (std::ferror(stream)) return false;
        const std::string_view rest = std::string_view(pending).substr(begin);
        if (!rest.empty() && !visit(offset, rest)) return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace kodra
