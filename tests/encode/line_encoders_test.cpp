#include "encode/line_encoders.h"
#include "support/memory_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra {
namespace {

using testing::contentsOf;
using testing::streamWith;

std::string encodeFileAs(int type, const std::string& source) {
    auto in = streamWith(source);
    auto out = streamWith("");
    const SixBitFormat* format = sixBitFormat(type);
    EXPECT_NE(format, nullptr);
    EXPECT_TRUE(encodeSixBitFile(in.get(), out.get(), *format));
    return contentsOf(out.get());
}

std::string quotedPrintableFile(const std::string& source) {
    auto in = streamWith(source);
    auto out = streamWith("");
    EXPECT_TRUE(encodeQuotedPrintableFile(in.get(), out.get()));
    return contentsOf(out.get());
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
    return lines;
}

TEST(SixBitFileEncoder, WorkedExamples) {
    struct Case {
        const char* name;
        int type;
        std::string source;
        std::string want;
    };
    const Case cases[] = {
        {"uu one zero byte", 1, std::string(1, '\0'), "!``==\r\n`\r\nend\r\n"},
        {"uu empty", 1, "", "`\r\nend\r\n"},
        {"xx empty", 4, "", "+\r\nend\r\n"},
        {"base64 two bytes", 2, "ab", "YWI=\r\n"},
        {"base64 three bytes", 2, "abc", "YWJj\r\n"},
        {"base64 empty", 2, "", ""},
        {"xx abc", 4, "abc", "1MK7X\r\n+\r\nend\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(encodeFileAs(c.type, c.source), c.want) << c.name;
}

TEST(SixBitFileEncoder, FullLinesAndChunks) {
    const auto uu45 = splitLines(encodeFileAs(1, std::string(45, 'q')));
    ASSERT_EQ(uu45.size(), 3u);
    EXPECT_EQ(uu45[0].size(), 61u);
    EXPECT_EQ(uu45[0][0], 'M');
    EXPECT_EQ(uu45[1], "`");
    EXPECT_EQ(uu45[2], "end");

    const auto b64 = splitLines(encodeFileAs(2, std::string(58, 'q')));
    ASSERT_EQ(b64.size(), 2u);
    EXPECT_EQ(b64[0].size(), 76u);
    EXPECT_EQ(b64[1], "cQ==");

    // 4500 bytes are exactly one chunk of 100 lines; one more byte makes a 101st line.
    const auto chunk = splitLines(encodeFileAs(1, std::string(4500, 'z')));
    ASSERT_EQ(chunk.size(), 102u);
    EXPECT_EQ(chunk[99][0], 'M');
    EXPECT_EQ(chunk[100], "`");
    const auto chunkPlusOne = splitLines(encodeFileAs(1, std::string(4501, 'z')));
    ASSERT_EQ(chunkPlusOne.size(), 103u);
    EXPECT_EQ(chunkPlusOne[100].size(), 5u);
    EXPECT_EQ(chunkPlusOne[100][0], '!');
    EXPECT_EQ(chunkPlusOne[100].substr(3), "==");
}

TEST(QuotedPrintableFileEncoder, WorkedExamples) {
    EXPECT_EQ(quotedPrintableFile("a=b\r\n"), "a=3Db=0D=0A\r\n");
    EXPECT_EQ(quotedPrintableFile(""), "\r\n");
    EXPECT_EQ(quotedPrintableFile("tab\there \xFF"), "tab\there =FF\r\n");

    const auto lines = splitLines(quotedPrintableFile(std::string(200, 'x')));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::string(75, 'x') + "=");
    EXPECT_EQ(lines[1], std::string(75, 'x') + "=");
    EXPECT_EQ(lines[2], std::string(50, 'x'));
}

TEST(QuotedPrintableFileEncoder, NoLineExceedsSeventySixCharacters) {
    std::string source;
    std::uint32_t state = 12345;  // fixed seed: a mix of literals and escapes
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        source.push_back(static_cast<char>(state >> 24));
    }
    for (const std::string& line : splitLines(quotedPrintableFile(source)))
        ASSERT_LE(line.size(), 76u) << line;
}

TEST(QuotedPrintableBufferEncoder, WorkedExamples) {
    struct Case {
        const char* name;
        std::string source;
        std::string want;
    };
    const Case cases[] = {
        {"high byte", "\xE9", "=E9\r\n"},
        {"line ends pass unchanged", "a\r\nb", "a\r\nb\r\n"},
        {"empty", "", "\r\n"},
        {"equals escaped", "1=1", "1=3D1\r\n"},
    };
    for (const Case& c : cases) {
        std::vector<char> out(quotedPrintableBufferBound(c.source.size()));
        const std::size_t got = encodeQuotedPrintableBuffer(
            reinterpret_cast<const std::uint8_t*>(c.source.data()), c.source.size(), out.data());
        EXPECT_EQ(std::string(out.data(), got), c.want) << c.name;
        EXPECT_EQ(out[got], '\0') << c.name;
    }
}

TEST(QuotedPrintableBufferEncoder, SoftBreakAfterSeventyThreeSourceBytes) {
    const std::string source(100, 'k');
    std::vector<char> out(quotedPrintableBufferBound(source.size()));
    const std::size_t got = encodeQuotedPrintableBuffer(
        reinterpret_cast<const std::uint8_t*>(source.data()), source.size(), out.data());
    EXPECT_EQ(std::string(out.data(), got), std::string(73, 'k') + "=\r\n" + std::string(27, 'k') + "\r\n");
}

}  // namespace
}  // namespace kodra
