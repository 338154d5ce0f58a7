// Runs a section copier over a body from memory and from a stream at several read sizes,
// for the text and raw copier tests.
#pragma once

#include "decode/boundary_list.h"
#include "decode/text_section_copier.h"
#include "frame/byte_sink.h"
#include "frame/line_source.h"
#include "support/memory_stream.h"
#include "support/shown_bytes.h"

#include <functional>
#include <string>
#include <vector>

namespace kodra::testing {

// Collects what a copier writes; refuses every write when asked to.
class StringSink final : public ByteSink {
public:
    explicit StringSink(bool refuse = false) : refuse_(refuse) {}
    bool write(const void* data, std::size_t size) noexcept override {
        if (refuse_) return false;
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
    std::string bytes;

private:
    bool refuse_;
};

// What one copy gave: the bytes written, the copier's result and the line after it.
struct CopyOutcome {
    std::string where;  // "memory" or "read size N"
    std::string written;
    TextCopy result;
    std::string nextLine;  // the text of the line the source gives next ("<end>" at the end)
};

using Copier = std::function<TextCopy(const BoundaryList&, LineSource&, ByteSink*)>;

// Copies body (the boundary "b" is listed) from memory and from a stream at several
// read sizes, with CR line ends detected as the decoder does; cap bounds lines.
inline std::vector<CopyOutcome> copyEveryWay(const std::string& body, const Copier& copy,
                                             std::size_t cap = kNoLineCap) {
    BoundaryList boundaries;
    boundaries.add("b");
    std::vector<CopyOutcome> outcomes;
    const auto run = [&](LineSource& source, std::string where) {
        StringSink sink;
        CopyOutcome outcome;
        outcome.where = std::move(where);
        outcome.result = copy(boundaries, source, &sink);
        outcome.written = sink.bytes;
        SourceLine line;
        outcome.nextLine = source.next(line) ? std::string(line.text) : std::string("<end>");
        outcomes.push_back(std::move(outcome));
    };
    {
        LineSource source(body.data(), body.size(), {cap, kDefaultReadSize, LoneCr::detect});
        run(source, "memory");
    }
    for (const std::size_t readSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{64},
                                       body.size() + 1}) {
        Stream stream = streamWith(body);
        LineSource source(stream.get(), {cap, readSize, LoneCr::detect});
        run(source, "read size " + std::to_string(readSize));
    }
    return outcomes;
}

}  // namespace kodra::testing
