#include "frame/line_reader.h"
#include "support/memory_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra {
namespace {

using testing::streamWith;

// Reads every line until the reader reports the end.
std::vector<std::string> readAll(const std::string& bytes) {
    auto stream = streamWith(bytes);
    std::vector<std::string> lines;
    char buffer[kLineBufferSize];
    while (readTextLine(nullptr, stream.get(), buffer)) lines.emplace_back(buffer);
    return lines;
}

TEST(ReadTextLine, LineEnds) {
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"crlf", "abc\r\ndef\r\n", {"abc", "def"}},
        {"lone lf", "abc\ndef\n", {"abc", "def"}},
        {"lone cr at end", "abc\r", {"abc"}},
        {"cr cr lf keeps one cr", "abc\r\r\n", {"abc\r"}},
        {"empty line is a line", "\r\n\r\nx", {"", "", "x"}},
        {"last line without end", "one\ntwo", {"one", "two"}},
        {"nul ends the text", std::string("ab\0cd\nnext\n", 11), {"ab", "next"}},
        {"empty input", "", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readAll(c.input), c.want) << c.name;
    }
}

TEST(ReadTextLine, LongLinesArriveInPieces) {
    const std::string line(2000, 'x');
    const auto lines = readAll(line + "\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 1023u);
    EXPECT_EQ(lines[1].size(), 977u) << "only the last piece loses the line end";
}

TEST(ReadTextLine, RedeliveryHandsBackTheSameLine) {
    auto stream = streamWith("first\r\r\nsecond\r\n");
    char buffer[kLineBufferSize];
    int redeliver = 1;
    ASSERT_NE(readTextLine(&redeliver, stream.get(), buffer), nullptr);
    EXPECT_STREQ(buffer, "first\r");
    EXPECT_EQ(redeliver, 1);

    redeliver = 0;
    ASSERT_EQ(readTextLine(&redeliver, stream.get(), buffer), buffer);
    EXPECT_STREQ(buffer, "first\r") << "a redelivered line is not stripped again";
    EXPECT_EQ(redeliver, 1);

    ASSERT_NE(readTextLine(&redeliver, stream.get(), buffer), nullptr);
    EXPECT_STREQ(buffer, "second");
    EXPECT_EQ(readTextLine(&redeliver, stream.get(), buffer), nullptr);
    EXPECT_EQ(redeliver, 0);
    EXPECT_STREQ(buffer, "second") << "the end of input leaves the buffer as it was";
}

TEST(LowerCaseText, OnlyAsciiLetters) {
    char text[] = "Content-Type: TEXT/Plain \xC4\xE9 [Z]@";
    lowerCaseText(text);
    EXPECT_STREQ(text, "content-type: text/plain \xC4\xE9 [z]@");
}

}  // namespace
}  // namespace kodra
