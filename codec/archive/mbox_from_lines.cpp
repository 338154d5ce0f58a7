// Finding the "From " lines that separate mbox messages.
#include "archive/mbox_from_lines.h"

#include <cstring>

namespace kodra {

bool isMboxFromLine(std::string_view bytes, std::size_t at, bool atFileStart) noexcept {
    if (at > bytes.size() || bytes.size() - at < kMboxFromPrefix.size() ||
        bytes.compare(at, kMboxFromPrefix.size(), kMboxFromPrefix) != 0)
        return false;
    if (at == 0) return atFileStart;
    if (bytes[at - 1] != '\n') return false;
    // The line before is empty: "\n" or "\r\n" that itself begins the file or follows an LF.
    std::size_t empty = at - 1;
    if (empty > 0 && bytes[empty - 1] == '\r') --empty;
    if (empty == 0) return atFileStart;
    return bytes[empty - 1] == '\n';
}

std::size_t findMboxFromLine(std::string_view bytes, std::size_t from, bool atFileStart) noexcept {
    const std::size_t length = kMboxFromPrefix.size();
    if (bytes.size() < length) return std::string_view::npos;
    const std::size_t last = bytes.size() - length;  // the last index a "From " fits at
    for (std::size_t at = from; at <= last;) {
        if (at == 0) {
            if (isMboxFromLine(bytes, 0, atFileStart)) return 0;
            ++at;
            continue;
        }
        // Candidates follow an LF: jump from one to the next.
        const void* found = std::memchr(bytes.data() + at - 1, '\n', last - at + 1);
        if (!found) break;
        at = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data()) + 1;
        if (isMboxFromLine(bytes, at, atFileStart)) return at;
        ++at;
    }
    return std::string_view::npos;
}

std::vector<std::size_t> cutMboxRanges(std::string_view bytes, std::size_t chunkSize) {
    std::vector<std::size_t> starts;
    if (bytes.empty()) return starts;
    starts.push_back(0);
    if (chunkSize == 0) return starts;
    for (std::size_t start = 0;;) {
        const std::size_t target = bytes.size() - start > chunkSize ? start + chunkSize : bytes.size();
        const std::size_t next = findMboxFromLine(bytes, target, true);
        if (next == std::string_view::npos) break;
        starts.push_back(next);
        start = next;
    }
    return starts;
}

}  // namespace kodra
