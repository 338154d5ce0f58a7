// Sections of the older hexadecimal BinHex format, plain and compressed.
#include "binhex/binhex_reader.h"
#include "binhex/hexbin_lines.h"
#include "binhex/hexbin_test_support.h"
#include "frame/line_source.h"

#include <gtest/gtest.h>

#include <string>

namespace kodra {
namespace {

using test::Bytes;
using test::HexBinForm;
using test::HexBinSection;

struct SectionCase {
    std::string name;
    std::string text;
    int wantForks;
    Bytes wantData;
};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

std::vector<SectionCase> sectionCases() {
    const Bytes data = test::randomBytes(100, 12);
    const Bytes resource = test::randomBytes(7, 13);
    std::vector<SectionCase> cases;
    for (const HexBinForm form : {HexBinForm::plain, HexBinForm::compressed}) {
        const std::string prefix = form == HexBinForm::plain ? "plain: " : "compressed: ";
        const HexBinSection good{form, data, resource};
        HexBinSection bad = good;
        bad.checksumDelta = 1;
        HexBinSection lf = good;
        lf.lineEnd = "\n";
        HexBinSection noResource{form, data, {}};
        noResource.withResourceFork = false;
        const std::string goodText = test::hexBinText(good);
        const std::string checksumLine = form == HexBinForm::plain ? "***CHECKSUM:" : "***CRC:";
        const std::string otherLine = form == HexBinForm::plain ? "***CRC:" : "***CHECKSUM:";
        const SectionCase formCases[] = {
            {"good", goodText, 1, data},
            {"bad checksum", test::hexBinText(bad), 0, data},
            {"LF line ends", test::hexBinText(lf), 1, data},
            {"empty resource fork", test::hexBinText({form, data, {}}), 0, data},
            {"empty data fork", test::hexBinText({form, {}, resource}), 0, {}},
            {"no resource fork", test::hexBinText(noResource), 1, data},
            {"one byte", test::hexBinText({form, {0x90}, {1}}), 1, {0x90}},
            {"no checksum line", goodText.substr(0, goodText.find(checksumLine)), 0, data},
            {"checksum line of the other form", replaced(goodText, checksumLine, otherLine), 0, data},
        };
        for (const SectionCase& c : formCases) cases.push_back({prefix + c.name, c.text, c.wantForks, c.wantData});
    }
    const Bytes small = {0x12, 0xAB};
    const std::string plain = test::hexBinText({HexBinForm::plain, small, {1}});
    cases.push_back({"plain: lower-case digits", replaced(plain, "12AB", "12ab"), 0, {}});
    cases.push_back({"plain: odd digit count", replaced(plain, "12AB", "12A"), 0, {}});
    cases.push_back({"plain: blank inside", replaced(plain, "12AB", "12 AB"), 0, {}});
    cases.push_back({"plain: header line of another shape", replaced(plain, "#TEXTMACA$0000", "#x"), 1, small});
    return cases;
}

TEST(HexBinDecode, Sections) {
    for (const SectionCase& c : sectionCases()) {
        const test::DecodeOutcome got = test::decodeStream(c.text);
        EXPECT_EQ(got.detected, 2) << c.name;
        EXPECT_EQ(got.header, 1) << c.name;
        EXPECT_EQ(got.name, "(unchanged)") << c.name << ": the format carries no name";
        EXPECT_EQ(got.forks, c.wantForks) << c.name;
        EXPECT_EQ(got.data, c.wantData) << c.name;
    }
}

TEST(HexBinDecode, KeepsTypeAndCreator) {
    const test::DecodeOutcome got = test::decodeStream(test::hexBinText({HexBinForm::plain, {1, 2}, {3}}));
    EXPECT_EQ(got.forks, 1);
    EXPECT_EQ(got.type, "TEXT");
    EXPECT_EQ(got.creator, "MACA");
}

TEST(HexBinDecode, HeaderAtEndOfInput) {
    LineSource input("", 0);
    BinHexReader reader;
    std::string line = "kept";
    EXPECT_FALSE(reader.readHexBinHeader(input, line));
    LineSource empty("", 0);
    EXPECT_FALSE(reader.decodeForks(empty, nullptr)) << "no forks after a missing header";
}

TEST(HexBinDecode, VerifiesWithoutWriting) {
    const std::string text = test::hexBinText({HexBinForm::compressed, test::randomBytes(50, 1), {5}}) + "after\r\n";
    LineSource input(text.data(), text.size());
    SourceLine first;
    ASSERT_TRUE(input.next(first));
    BinHexReader reader;
    ASSERT_EQ(reader.detect(first.text, input), BinHexForm::hexBin);
    std::string line;
    ASSERT_TRUE(reader.readHexBinHeader(input, line));
    EXPECT_TRUE(reader.decodeForks(input, nullptr));
    EXPECT_EQ(test::restOf(input), "after\r\n");
}

TEST(HexBinLines, CompressedLineDecoding) {
    struct Case {
        const char* name;
        std::string line;
        Bytes want;
    };
    const Case cases[] = {
        {"three bytes", test::compressedLine({0x41, 0x42, 0x43}), {0x41, 0x42, 0x43}},
        {"spaces and backquotes stand for zero", "`P      ", {0, 0, 0}},
        {"missing characters count as spaces", "`0", {0}},
        {"empty line", "", {}},
        {"count byte of 255, short line", "_P", Bytes(255, 0)},
    };
    for (const Case& c : cases) {
        std::uint8_t out[kMaxHexBinLineBytes] = {};
        const int n = decodeHexBinCompressedLine(c.line, out);
        ASSERT_GE(n, 0) << c.name;
        EXPECT_EQ(Bytes(out, out + n), c.want) << c.name;
    }
}

}  // namespace
}  // namespace kodra
