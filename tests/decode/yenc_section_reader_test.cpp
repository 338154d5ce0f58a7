// The verdict on a yEnc section from its control lines and what was decoded.
#include "decode/yenc_section_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra::testing {
namespace {

YencLine lineFrom(const std::string& text) {
    const std::optional<YencLine> line = parseYencLine(text);
    EXPECT_TRUE(line.has_value()) << text;
    return line.value_or(YencLine{});
}

struct VerdictRow {
    const char* name;
    std::string begin, part, end;  // part and end: empty when absent
    std::uint64_t decoded;
    std::uint32_t crc;
    YencVerdict want;
};

std::vector<VerdictRow> verdictRows() {
    const auto complete = YencVerdict::complete, noEnd = YencVerdict::noEnd, fragment = YencVerdict::fragment;
    const auto size = YencVerdict::sizeMismatch, crc = YencVerdict::crcMismatch;
    return {
        {"single part", "=ybegin line=128 size=10 name=a", "", "=yend size=10 crc32=0000abcd", 10, 0xABCD, complete},
        {"no end", "=ybegin line=128 size=10 name=a", "", "", 10, 0xABCD, noEnd},
        {"=yend size differs", "=ybegin size=10 name=a", "", "=yend size=11", 10, 0, size},
        {"=ybegin size differs", "=ybegin size=11 name=a", "", "=yend size=10", 10, 0, size},
        {"no sizes at all", "=ybegin name=a", "", "=yend", 10, 0, complete},
        {"crc32 differs", "=ybegin size=10 name=a", "", "=yend size=10 crc32=1", 10, 2, crc},
        {"pcrc32 differs", "=ybegin size=10 name=a", "", "=yend size=10 pcrc32=1", 10, 2, crc},
        {"part 1 of 1", "=ybegin part=1 total=1 size=10 name=a", "=ypart begin=1 end=10",
         "=yend size=10 part=1 pcrc32=5 crc32=5", 10, 5, complete},
        {"part 1 of 2", "=ybegin part=1 total=2 size=20 name=a", "=ypart begin=1 end=10",
         "=yend size=10 part=1 pcrc32=5 crc32=9", 10, 5, fragment},
        {"part 2 without total", "=ybegin part=2 size=20 name=a", "=ypart begin=11 end=20",
         "=yend size=10 part=2 pcrc32=5", 10, 5, fragment},
        {"part range short of the file", "=ybegin part=1 size=20 name=a", "=ypart begin=1 end=10",
         "=yend size=10 part=1", 10, 5, fragment},
        {"part range size differs", "=ybegin part=1 total=2 size=20 name=a", "=ypart begin=1 end=10",
         "=yend part=1", 9, 5, size},
        {"part numbers differ", "=ybegin part=1 total=1 size=10 name=a", "=ypart begin=1 end=10",
         "=yend size=10 part=2", 10, 5, size},
        {"a fragment's bad pcrc32 is a CRC failure", "=ybegin part=1 total=2 size=20 name=a",
         "=ypart begin=1 end=10", "=yend size=10 part=1 pcrc32=6", 10, 5, crc},
    };
}

TEST(JudgeYencSection, JudgesTheRows) {
    for (const VerdictRow& row : verdictRows()) {
        YencSectionRead read;
        if (!row.part.empty()) read.part = lineFrom(row.part);
        if (!row.end.empty()) read.end = lineFrom(row.end);
        read.decoded = row.decoded;
        read.crc = row.crc;
        const YencVerdict got = judgeYencSection(lineFrom(row.begin), read);
        EXPECT_EQ(got, row.want) << row.name << ": got " << static_cast<int>(got) << ", want "
                                 << static_cast<int>(row.want);
    }
}

}  // namespace
}  // namespace kodra::testing
