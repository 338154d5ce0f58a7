#include "yenc/yenc_lines.h"

#include "support/shown_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra::testing {
namespace {

struct LineRow {
    const char* name;
    std::string line;
    std::optional<YencLine> want;  // nothing: not a control line
};

YencLine lineOf(YencLineKind kind) {
    YencLine line;
    line.kind = kind;
    return line;
}

std::vector<LineRow> lineRows() {
    std::vector<LineRow> rows;
    auto add = [&rows](const char* name, std::string text, std::optional<YencLine> want) {
        rows.push_back({name, std::move(text), std::move(want)});
    };
    {
        YencLine want = lineOf(YencLineKind::begin);
        want.line = 128, want.size = 123456, want.name = "file.bin";
        add("single-part begin", "=ybegin line=128 size=123456 name=file.bin", want);
        add("fields in another order", "=ybegin size=123456 line=128 name=file.bin", want);
        add("trailing blanks and CR", "=ybegin line=128 size=123456 name=file.bin  \t\r", want);
        add("extra blanks", "=ybegin   line=128\tsize=123456  name=file.bin", want);
        add("unknown fields passed over", "=ybegin flag line=128 x=1 size=123456 name=file.bin", want);
    }
    {
        YencLine want = lineOf(YencLineKind::begin);
        want.part = 2, want.total = 7, want.line = 128, want.size = 900000, want.name = "my file = good.bin";
        add("multi-part begin, name with blanks and equals",
            "=ybegin part=2 total=7 line=128 size=900000 name=my file = good.bin", want);
    }
    {
        YencLine want = lineOf(YencLineKind::begin);
        want.name = "a size=5";
        add("name takes the rest of the line", "=ybegin name=a size=5", want);
    }
    {
        YencLine want = lineOf(YencLineKind::begin);
        add("no fields", "=ybegin", want);
        add("no fields, one blank", "=ybegin ", want);
        add("empty name", "=ybegin name=", want);
    }
    {
        YencLine want = lineOf(YencLineKind::begin);
        want.line = 128;
        add("negative size unset", "=ybegin line=128 size=-5", want);
        add("size past long long unset", "=ybegin size=9223372036854775808 line=128", want);
        add("size with a letter unset", "=ybegin size=12a line=128", want);
        add("empty size unset", "=ybegin size= line=128", want);
        add("size with a plus unset", "=ybegin size=+12 line=128", want);
    }
    {
        YencLine want = lineOf(YencLineKind::begin);
        want.size = 9223372036854775807LL;
        add("largest size", "=ybegin size=9223372036854775807", want);
    }
    {
        YencLine want = lineOf(YencLineKind::part);
        want.begin = 1, want.end = 384000;
        add("part", "=ypart begin=1 end=384000", want);
        add("part, other order", "=ypart end=384000 begin=1", want);
    }
    {
        YencLine want = lineOf(YencLineKind::end);
        want.size = 384000, want.part = 1, want.pcrc32 = 0xBFAE5C0Bu, want.crc32 = 0x0000ABCDu;
        add("end", "=yend size=384000 part=1 pcrc32=bfae5c0b crc32=ABCD", want);
        add("end, CRCs with 0x and leading zeros", "=yend part=1 size=384000 crc32=0x0000ABCD pcrc32=0xBFAE5C0B", want);
    }
    {
        YencLine want = lineOf(YencLineKind::end);
        want.size = 3;
        add("CRC past 32 bits unset", "=yend size=3 crc32=1FFFFFFFF pcrc32=0x", want);
        add("CRC not hex unset", "=yend size=3 crc32=xyz pcrc32=12345g", want);
    }
    add("plain text", "hello", std::nullopt);
    add("empty", "", std::nullopt);
    add("longer keyword", "=ybegin2 line=128", std::nullopt);
    add("keyword in the middle", "x=ybegin line=128", std::nullopt);
    add("data line starting =y", "=yx", std::nullopt);
    add("uppercase keyword", "=YBEGIN line=1", std::nullopt);
    return rows;
}

std::string describe(const std::optional<YencLine>& line) {
    if (!line) return "not a control line";
    auto number = [](const std::optional<long long>& value) {
        return value ? std::to_string(*value) : std::string("unset");
    };
    auto crc = [](const std::optional<std::uint32_t>& value) {
        return value ? std::to_string(*value) : std::string("unset");
    };
    return "kind " + std::to_string(static_cast<int>(line->kind)) + " line " + number(line->line) + " size " +
           number(line->size) + " part " + number(line->part) + " total " + number(line->total) + " begin " +
           number(line->begin) + " end " + number(line->end) + " pcrc32 " + crc(line->pcrc32) + " crc32 " +
           crc(line->crc32) + " name " + shown(line->name);
}

TEST(ParseYencLine, ReadsTheRows) {
    for (const LineRow& row : lineRows()) {
        const std::string got = describe(parseYencLine(row.line));
        const std::string want = describe(row.want);
        EXPECT_EQ(got, want) << row.name << ": got " << got << ", want " << want;
    }
}

}  // namespace
}  // namespace kodra::testing
