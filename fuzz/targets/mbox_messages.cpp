// mbox messages: the input read whole must give the same messages (offsets and texts) as
// the input cut into ranges at "From " lines, for every chunk size up to 512 and a spread
// of larger ones; the stream reader must cut where the memory cutter does.
#include "archive/archive_units.h"
#include "archive/mbox_file.h"
#include "archive/mbox_from_lines.h"
#include "fuzz_support.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using kodra::fuzz::check;
using Messages = std::vector<std::pair<long long, std::string>>;

void collect(std::string_view block, long long offset, std::string& scratch, Messages& messages) {
    kodra::forEachMboxMessage(block, offset, scratch, [&messages](long long at, std::string_view message) {
        messages.emplace_back(at, std::string(message));
    });
}

Messages messagesOfRanges(std::string_view input, std::size_t chunk, std::string& scratch) {
    const std::vector<std::size_t> starts = kodra::cutMboxRanges(input, chunk);
    Messages messages;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : input.size();
        check(starts[i] < end, "ranges must be non-empty and ascending");
        check(i == 0 || kodra::isMboxFromLine(input, starts[i], true), "a range must begin at a From line");
        collect(input.substr(starts[i], end - starts[i]), static_cast<long long>(starts[i]), scratch, messages);
    }
    return messages;
}

#ifndef _WIN32
// The blocks readMboxStream hands out for input at chunk, through a memory stream.
std::vector<std::size_t> streamBlocks(const std::string& input, std::size_t chunk) {
    std::vector<std::size_t> offsets;
    std::string joined;
    std::string copy = input.empty() ? std::string(1, '\0') : input;  // fmemopen wants a buffer
    std::FILE* stream = fmemopen(copy.data(), input.size() == 0 ? 1 : input.size(), "rb");
    check(stream != nullptr, "fmemopen failed");
    if (input.empty()) std::fgetc(stream);  // at the end already
    const bool read = kodra::readMboxStream(stream, chunk, [&](long long offset, std::string_view block) {
        offsets.push_back(static_cast<std::size_t>(offset));
        joined.append(block);
        return true;
    });
    std::fclose(stream);
    check(read, "readMboxStream failed on a memory stream");
    check(joined == input, "stream blocks do not join to the input");
    return offsets;
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string scratch;
    Messages whole;
    collect(input, 0, scratch, whole);
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const std::size_t offset = static_cast<std::size_t>(whole[i].first);
        check(i == 0 || whole[i - 1].first < whole[i].first, "message offsets must ascend");
        check(offset == 0 || kodra::isMboxFromLine(input, offset, true), "a message must begin at a From line");
        check(whole[i].second.size() <= size, "a message cannot be longer than the input");
    }
    for (std::size_t chunk = 0; chunk <= size + 1; chunk += chunk < 512 ? 1 : chunk / 16) {
        check(messagesOfRanges(input, chunk, scratch) == whole, "ranges give other messages",
              "chunk " + std::to_string(chunk));
#ifndef _WIN32
        if (chunk < 64 || chunk % 7 == 0)
            check(streamBlocks(input, chunk) == kodra::cutMboxRanges(input, chunk),
                  "the stream reader cuts elsewhere", "chunk " + std::to_string(chunk));
#endif
    }
    return 0;
}
