// 8bit and binary parts: every byte of the body as it stands, up to the line end before
// the boundary line (RFC 2046, 5.1.1).
#include "decode/raw_section_copier.h"

#include "section_copy_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra::testing {
namespace {

// Every byte value, four times over, in an order without a line that opens with "--b".
std::string allBytes() {
    std::string bytes;
    for (int round = 0; round < 4; ++round)
        for (int value = 0; value < 256; ++value) bytes += static_cast<char>((value * 7 + round) & 0xFF);
    return bytes;
}

struct RawRow {
    const char* name;
    std::string body;  // the boundary is "b"; "after" follows it
    std::string want;
    std::string wantNext = "after";  // the line read after the copy
    std::size_t cap = kNoLineCap;
};

std::vector<RawRow> rawRows() {
    const std::string binary = allBytes();
    return {
        {"LF lines", "one\ntwo\n\n--b--\nafter\n", "one\ntwo\n"},
        {"no blank line before the boundary", "one\n--b\nafter\n", "one"},
        {"CR LF lines", "a\r\nb\r\n--b\r\nafter\r\n", "a\r\nb"},
        {"CR lines", "a\rb\r\r--b\rafter\r", "a\rb\r"},
        {"NULs and lone CRs", std::string("a\0b\rc\n\0\n--b\nafter\n", 17), std::string("a\0b\rc\n\0", 7)},
        {"every byte value", binary + "\r\n--b--\r\nafter\r\n", binary},
        {"every byte value before an LF boundary line", binary + "\n--b\nafter\n", binary},
        {"trailing blanks", "text  \t\n--b\nafter\n", "text  \t"},
        {"the end of the input keeps the last line end", "a\nb\n", "a\nb\n", "<end>"},
        {"the end of the input without a line end", "a\nb", "a\nb", "<end>"},
        {"a boundary inside a line is data", "x--b\n--b\nafter\n", "x--b"},
        {"a piece of a long line is no line start", "xxxx--b\nafter\n--b\nafter\n", "xxxx--b\nafter", "afte", 4},
        {"a long line in pieces", std::string(10, 'y') + "\r\n--b\r\nafter\r\n", std::string(10, 'y'), "aft", 3},
        {"empty body", "--b\nafter\n", ""},
        {"one empty line", "\n--b\nafter\n", ""},
        {"two empty lines", "\r\n\r\n--b\r\nafter\r\n", "\r\n"},
    };
}

TEST(RawSectionCopier, CopiesEveryByteUpToTheBoundarysLineEnd) {
    for (const RawRow& row : rawRows()) {
        const Copier copy = [](const BoundaryList& boundaries, LineSource& source, ByteSink* sink) {
            return copyRawSection(boundaries, source, sink, std::string());
        };
        for (const CopyOutcome& got : copyEveryWay(row.body, copy, row.cap)) {
            EXPECT_EQ(got.written, row.want) << row.name << ", " << got.where << ": got " << shown(got.written)
                                             << ", want " << shown(row.want);
            EXPECT_TRUE(got.result.written && got.result.headerEnded) << row.name << ", " << got.where;
            EXPECT_EQ(got.nextLine, row.wantNext) << row.name << ", " << got.where;
        }
    }
}

TEST(RawSectionCopier, WithoutOutputReadsThrough) {
    BoundaryList boundaries;
    boundaries.add("b");
    const std::string body("one\0\r\ntwo\n--b\nafter\n", 20);
    LineSource source(body.data(), body.size(), {kNoLineCap, kDefaultReadSize, LoneCr::detect});
    EXPECT_TRUE(copyRawSection(boundaries, source, nullptr, std::string()).written);
    SourceLine line;
    ASSERT_TRUE(source.next(line));
    EXPECT_EQ(line.text, "after");
}

TEST(RawSectionCopier, SkipsTheRestOfTheHeaderFirst) {
    const Copier copy = [](const BoundaryList& boundaries, LineSource& source, ByteSink* sink) {
        return copyRawSection(boundaries, source, sink, "Content-Type: application/octet-stream");
    };
    for (const CopyOutcome& got : copyEveryWay("X-Other: 1\r\n\r\n\x01\x02\r\n--b\r\nafter\r\n", copy))
        EXPECT_EQ(got.written, "\x01\x02") << got.where << ": got " << shown(got.written);
    for (const CopyOutcome& got : copyEveryWay("X-Other: 1\r\n", copy)) {
        EXPECT_FALSE(got.result.headerEnded) << got.where << ": got the header ended";
        EXPECT_EQ(got.written, "") << got.where;
    }
}

TEST(RawSectionCopier, RefusedOutputFailsButReadsThrough) {
    BoundaryList boundaries;
    boundaries.add("b");
    const std::string body = "one\ntwo\n--b\nafter\n";
    LineSource source(body.data(), body.size());
    StringSink refusing(true);
    EXPECT_FALSE(copyRawSection(boundaries, source, &refusing, std::string()).written)
        << "got the section written to a refusing output";
    SourceLine line;
    ASSERT_TRUE(source.next(line));
    EXPECT_EQ(line.text, "after");
}

}  // namespace
}  // namespace kodra::testing
