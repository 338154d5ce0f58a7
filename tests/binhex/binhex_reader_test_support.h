// Drivers of the BinHex reader and of the stream functions it replaces, run the way the
// scanner and the decoding driver call them, with everything they leave behind recorded so
// that the two can be compared.
#pragma once

#include "binhex/binhex_reader.h"
#include "binhex/binhex_test_support.h"
#include "frame/byte_sink.h"
#include "frame/line_source.h"
#include "support/reference_binhex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace kodra::test {

// How the reader's input is fed: from memory, or from a file read readSize bytes at a
// time (0: the whole input in one read).
struct Feed {
    std::string name;
    bool fromFile = false;
    std::size_t readSize = 0;
};

inline std::vector<Feed> allFeeds() {
    std::vector<Feed> feeds = {{"memory", false, 0}};
    for (const std::size_t size : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{64}, std::size_t{4096}})
        feeds.push_back({"file, reads of " + std::to_string(size), true, size});
    feeds.push_back({"file, one read", true, 0});
    return feeds;
}

// A line source over text as a feed gives it; text must outlive it.
class FedSource {
public:
    FedSource(std::string_view text, const Feed& feed) {
        const std::size_t readSize = feed.readSize == 0 ? std::max<std::size_t>(text.size(), 1) : feed.readSize;
        if (feed.fromFile) {
            file_ = streamWith(text);
            source_ = std::make_unique<LineSource>(file_.get(), LineSourceOptions{kNoLineCap, readSize});
        } else {
            source_ = std::make_unique<LineSource>(text.data(), text.size());
        }
    }
    LineSource& source() { return *source_; }

private:
    FilePtr file_;
    std::unique_ptr<LineSource> source_;
};

// One detected section: each call's result and the input position after it.
struct SectionRecord {
    int detected = 0;  // detectBinHex's numbers: 1, 2, -1
    int header = -1;   // -1: not called
    int forks = -1;
    std::string name = "(unchanged)";
    Bytes data;
    std::string type, creator;  // after an accepted header
    std::vector<std::uint64_t> positions;

    bool operator==(const SectionRecord& o) const {
        return detected == o.detected && header == o.header && forks == o.forks && name == o.name &&
               data == o.data && type == o.type && creator == o.creator && positions == o.positions;
    }
};

inline std::string describe(const std::vector<SectionRecord>& records) {
    std::ostringstream out;
    out << records.size() << " sections";
    for (const SectionRecord& r : records) {
        out << " [detected " << r.detected << ", header " << r.header << ", forks " << r.forks << ", name \""
            << r.name.substr(0, 40) << "\", " << r.data.size() << " bytes, type \"" << r.type << "\", positions";
        for (const std::uint64_t p : r.positions) out << ' ' << p;
        out << ']';
    }
    return out.str();
}

// Every section of text through the reference stream decoder (lines up to 1023 bytes).
inline std::vector<SectionRecord> streamDrive(std::string_view text, bool firstLineOnly = false) {
    std::vector<SectionRecord> records;
    FilePtr input = streamWith(text);
    char line[1025];
    while (std::fgets(line, sizeof line, input.get()) != nullptr) {
        line[std::strcspn(line, "\r\n")] = '\0';
        SectionRecord r;
        r.detected = reference::detectBinHex(line, input.get());
        if (r.detected != 0) {
            r.positions.push_back(static_cast<std::uint64_t>(std::ftell(input.get())));
            if (r.detected > 0) {
                char name[reference::kBinHexNameBufferSize] = "(unchanged)";
                r.header = r.detected == 1 ? reference::readBinHexHeader(input.get(), name)
                                           : reference::readHexBinHeader(input.get(), name, line);
                r.positions.push_back(static_cast<std::uint64_t>(std::ftell(input.get())));
                r.name = name;
                if (r.header == 1) {
                    r.type.assign(reference::binHexHeader().type, 4);
                    r.creator.assign(reference::binHexHeader().creator, 4);
                    FilePtr output(kodra::testing::temporaryStream());
                    r.forks = reference::decodeBinHexForks(input.get(), output.get(), line);
                    r.positions.push_back(static_cast<std::uint64_t>(std::ftell(input.get())));
                    r.data = bytesOf(output.get());
                }
            }
            records.push_back(r);
            if (r.detected < 0) break;
        }
        if (firstLineOnly) break;
    }
    return records;
}

// The same through one BinHexReader over a line source.
inline std::vector<SectionRecord> readerDrive(std::string_view text, const Feed& feed, bool firstLineOnly = false) {
    std::vector<SectionRecord> records;
    FedSource fed(text, feed);
    LineSource& input = fed.source();
    BinHexReader reader;
    SourceLine line;
    std::string hashLine;
    while (input.next(line)) {
        SectionRecord r;
        r.detected = formNumber(reader.detect(line.text, input));
        if (r.detected != 0) {
            r.positions.push_back(input.position());
            if (r.detected > 0) {
                std::string name = "(unchanged)";
                r.header = (r.detected == 1 ? reader.readHeader(input, name) : reader.readHexBinHeader(input, hashLine))
                               ? 1
                               : 0;
                r.positions.push_back(input.position());
                r.name = name;
                if (r.header == 1) {
                    r.type.assign(reader.header().type, 4);
                    r.creator.assign(reader.header().creator, 4);
                    CollectingSink output;
                    r.forks = reader.decodeForks(input, &output) ? 1 : 0;
                    r.positions.push_back(input.position());
                    r.data = output.bytes;
                }
            }
            records.push_back(r);
            if (r.detected < 0) break;
        }
        if (firstLineOnly) break;
    }
    EXPECT_FALSE(input.failed()) << feed.name;
    return records;
}

// The reader's records for text, the same at every feed (checked), as one outcome of the
// first line's section.
inline DecodeOutcome readerDecode(std::string_view text) {
    const std::vector<Feed> feeds = allFeeds();
    const std::vector<SectionRecord> want = readerDrive(text, feeds[0], true);
    for (std::size_t i = 1; i < feeds.size(); ++i) {
        const std::vector<SectionRecord> got = readerDrive(text, feeds[i], true);
        EXPECT_TRUE(got == want) << feeds[i].name << ": got " << describe(got) << ", want (memory) " << describe(want);
    }
    DecodeOutcome outcome;
    if (want.empty()) return outcome;
    outcome.detected = want[0].detected;
    outcome.header = std::max(want[0].header, 0);
    outcome.forks = std::max(want[0].forks, 0);
    outcome.name = want[0].name;
    outcome.data = want[0].data;
    outcome.type = want[0].type;
    outcome.creator = want[0].creator;
    return outcome;
}

// True when every line of text is short enough for the stream functions' fixed buffers.
inline bool linesFitFixedBuffers(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        if (end - start > 500) return false;
        start = end;
    }
    return true;
}

}  // namespace kodra::test
