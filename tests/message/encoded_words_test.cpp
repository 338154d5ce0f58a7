#include "frame/line_source.h"
#include "message/encoded_words.h"
#include "support/portable.h"
#include "support/reference_encoded_words.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace kodra {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// An input stream holding the lines that follow the decoded one.
File streamOf(const std::string& content) {
    File file(kodra::testing::temporaryStream());
    std::fwrite(content.data(), 1, content.size(), file.get());
    std::rewind(file.get());
    return file;
}

std::string restOf(std::FILE* file) {
    std::string rest;
    for (int c; (c = std::fgetc(file)) != EOF;) rest.push_back(static_cast<char>(c));
    return rest;
}

struct WordCase {
    const char* name;
    std::string line;
    std::string following;  // the input after the line
    std::string want;
    int wantResult;
    std::string wantRest;  // what the input still holds afterwards
};

// The lines a source still holds, each with an LF (the rows' inputs end their lines so).
std::string restOf(LineSource& source) {
    std::string rest;
    for (SourceLine line; source.next(line);) rest.append(line.text).append(1, '\n');
    return rest;
}

class EncodedWordsTest : public ::testing::TestWithParam<WordCase> {};

TEST_P(EncodedWordsTest, DecodesIntoString) {
    const WordCase& c = GetParam();
    std::string text = c.line;
    LineSource input(c.following.data(), c.following.size());
    const int result = decodeEncodedWords(input, text);
    EXPECT_EQ(result, c.wantResult) << "got " << result << ", want " << c.wantResult;
    EXPECT_EQ(text, c.want) << "got \"" << text << "\", want \"" << c.want << "\"";
    EXPECT_EQ(restOf(input), c.wantRest);
}

// The fixed-room form the string form replaced agrees on every row.
TEST_P(EncodedWordsTest, ReferenceDecodesInPlace) {
    const WordCase& c = GetParam();
    char buffer[1025] = {};
    ASSERT_LT(c.line.size(), sizeof buffer);
    std::memcpy(buffer, c.line.data(), c.line.size());
    File input = streamOf(c.following);
    const int result = reference::decodeEncodedWords(input.get(), buffer, sizeof buffer);
    EXPECT_EQ(result, c.wantResult);
    EXPECT_EQ(std::string(buffer), c.want) << "got \"" << buffer << "\", want \"" << c.want << "\"";
    EXPECT_EQ(restOf(input.get()), c.wantRest);
}

const std::string kLong40(40, 'A');

INSTANTIATE_TEST_SUITE_P(
    Words, EncodedWordsTest,
    ::testing::Values(
        WordCase{"QuotedPrintableLatin1", "name=\"=?iso-8859-1?q?Caf=E9.txt?=\"", "",
                 "name=\"Caf\xE9.txt\"", 1, ""},
        WordCase{"UpperCaseLead", "=?ISO-8859-1?Q?Caf=E9?=", "", "Caf\xE9", 1, ""},
        WordCase{"UnderscoreIsSpace", "=?iso-8859-1?q?my_file=5F1.txt?=", "", "my file_1.txt", 1, ""},
        WordCase{"Latin9HasNoStrayQuestionMark", "=?iso-8859-15?q?=A4uro?=", "", "\xA4uro", 1, ""},
        WordCase{"Base64Word", "x =?iso-8859-1?b?Q2Fm6S5iaW4=?= y", "", "x Caf\xE9.bin y", 1, ""},
        WordCase{"Big5Base64", "=?big5?b?pKSk5Q==?=", "", "\xA4\xA4\xA4\xE5", 1, ""},
        WordCase{"Big5QuotedPrintable", "=?BIG5?Q?=A4=A4?=", "", "\xA4\xA4", 1, ""},
        WordCase{"AdjacentWordsLoseTheBlank", "=?iso-8859-1?q?ab?= =?iso-8859-1?q?cd?=", "", "abcd", 1, ""},
        WordCase{"MixedCaseSecondWord", "=?iso-8859-1?q?ab?=\t=?ISO-8859-1?Q?cd?=", "", "abcd", 1, ""},
        WordCase{"TextBetweenWordsStays", "=?iso-8859-1?q?a?= and =?iso-8859-1?q?b?=", "", "a and b", 1, ""},
        WordCase{"EachWordHasItsOwnMode", "=?iso-8859-1?q?a?= =?iso-8859-1?b?Yg==?=", "", "ab", 1, ""},
        WordCase{"NoWordLeavesLineAlone", "Subject: plain =?utf-8?q?x?=", "next\n",
                 "Subject: plain =?utf-8?q?x?=", 0, "next\n"},
        WordCase{"MalformedLeadIsNoWord", "=?iso-8859-1 q?x?=", "", "=?iso-8859-1 q?x?=", 0, ""},
        WordCase{"CutLeadAtLineEnd", "name=\"=?iso-8859-", "", "name=\"=?iso-8859-", 0, ""},
        WordCase{"ShortOpenWordRunsToLineEnd", "=?iso-8859-1?q?abc", "next\n", "abc", 1, "next\n"},
        WordCase{"LongOpenWordJoinsNextLine", "=?iso-8859-1?q?" + kLong40, "BB?= tail\r\nnext\n",
                 kLong40 + "BB tail", 1, "next\n"},
        WordCase{"LongOpenWordEndsAtEndOfInput", "=?iso-8859-1?q?" + kLong40, "", kLong40, 1, ""}),
    [](const ::testing::TestParamInfo<WordCase>& row) { return std::string(row.param.name); });

// The fixed-room reference's own limits.
TEST(EncodedWords, JoinsOnlyIntoTheRoomLeft) {
    // A 1000-character word without its end, followed by a line of 100 characters: only
    // what fits is joined, the rest of that line stays in the input.
    std::string line = "=?iso-8859-1?q?" + std::string(985, 'a');
    const std::string following = std::string(100, 'b') + "\n";
    char buffer[1025] = {};
    std::memcpy(buffer, line.data(), line.size());
    File input = streamOf(following);
    EXPECT_EQ(reference::decodeEncodedWords(input.get(), buffer, sizeof buffer), 1);
    const std::size_t joined = 1024 - line.size();
    EXPECT_EQ(std::string(buffer), std::string(985, 'a') + std::string(joined, 'b'));
    EXPECT_EQ(restOf(input.get()), std::string(100 - joined, 'b') + "\n");
}

TEST(EncodedWords, FullBufferEndsTheWordWithoutReading) {
    std::string line = "=?iso-8859-1?q?" + std::string(1009, 'a');
    char buffer[1025] = {};
    std::memcpy(buffer, line.data(), line.size());
    File input = streamOf("next\n");
    EXPECT_EQ(reference::decodeEncodedWords(input.get(), buffer, sizeof buffer), 1);
    EXPECT_EQ(std::strlen(buffer), 1009u);
    EXPECT_EQ(restOf(input.get()), "next\n");
}

TEST(EncodedWords, ManyFoldedLinesEndAtEndOfInput) {
    // Every joined line is blank: the decoder keeps reading only until the input ends.
    char buffer[1025] = {};
    const std::string line = "=?iso-8859-1?q?" + kLong40;
    std::memcpy(buffer, line.data(), line.size());
    File input = streamOf(std::string(5000, '\n'));
    EXPECT_EQ(reference::decodeEncodedWords(input.get(), buffer, sizeof buffer), 1);
    EXPECT_EQ(std::string(buffer), kLong40);
}

TEST(EncodedWords, NullInputNeverJoins) {
    char buffer[1025] = {};
    const std::string line = "=?iso-8859-1?q?" + kLong40;
    std::memcpy(buffer, line.data(), line.size());
    EXPECT_EQ(reference::decodeEncodedWords(nullptr, buffer, sizeof buffer), 1);
    EXPECT_EQ(std::string(buffer), kLong40);
}

}  // namespace
}  // namespace kodra
