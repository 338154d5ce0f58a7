// decodeEncodedWords on a growing string against the fixed-room form given room to spare:
// the same text, result and bytes left to read, from memory and from a file at every read
// size; and the join limit that bounds what a word may take from following lines.
#include "frame/line_source.h"
#include "message/encoded_words.h"
#include "support/reference_encoded_words.h"
#include "support/memory_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace kodra::testing {
namespace {

struct Outcome {
    int result = 0;
    std::string text;
    std::string rest;  // the input bytes still unread
};

bool operator==(const Outcome& a, const Outcome& b) {
    return a.result == b.result && a.text == b.text && a.rest == b.rest;
}

std::string show(const Outcome& outcome) {
    const auto clip = [](const std::string& text) {
        return text.size() <= 80 ? text : text.substr(0, 60) + "...(" + std::to_string(text.size()) + " bytes)";
    };
    return "{" + std::to_string(outcome.result) + ", \"" + clip(outcome.text) + "\", rest \"" + clip(outcome.rest) +
           "\"}";
}

// The fixed-room form over a stream, with room enough never to be the limit.
Outcome withRoomToSpare(const std::string& line, const std::string& following) {
    std::vector<char> text(line.size() + following.size() + 2, '\0');
    std::memcpy(text.data(), line.data(), line.size());
    auto stream = streamWith(following);
    Outcome outcome;
    outcome.result = reference::decodeEncodedWords(stream.get(), text.data(), text.size());
    outcome.text = text.data();
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, stream.get())) > 0;) outcome.rest.append(chunk, got);
    return outcome;
}

Outcome onString(LineSource& source, const std::string& line) {
    Outcome outcome;
    outcome.text = line;
    outcome.result = decodeEncodedWords(source, outcome.text);
    char piece[4096];
    for (std::size_t got; (got = source.readPiece(piece, sizeof piece)) > 0;) outcome.rest.append(piece, got);
    return outcome;
}

constexpr std::size_t kWhole = 0;  // the read size of the whole input at once
constexpr std::size_t kReadSizes[] = {1, 2, 3, 7, 64, 4096, kWhole};

// Runs the string form over the following bytes in memory and in a file at every read size.
template <typename Check>
void forEveryReading(const std::string& following, Check check) {
    for (const std::size_t readSize : kReadSizes) {
        const LineSourceOptions options{kNoLineCap, readSize == kWhole ? following.size() + 1 : readSize};
        const std::string size = readSize == kWhole ? "whole" : std::to_string(readSize);
        LineSource memory(following.data(), following.size(), options);
        check(memory, "memory, read size " + size);
        auto stream = streamWith(following);
        LineSource file(stream.get(), options);
        check(file, "file, read size " + size);
    }
}

TEST(EncodedWordsOnString, SameAsWithRoomToSpare) {
    struct Row {
        const char* name;
        std::string line;
        std::string following;
    };
    const std::string cut = "Subject: =?iso-8859-1?q?" + std::string(40, 'x');
    const std::string long1023 = std::string(1023, 'a');
    const std::vector<Row> rows = {
        {"no word", "Subject: plain", "next\r\n"},
        {"unknown charset", "Subject: =?utf-8?q?x?=", "next\n"},
        {"whole word", "Subject: =?iso-8859-1?q?Caf=E9?=", "next\r\n"},
        {"adjacent words lose the blank", "=?iso-8859-1?q?ab?= \t=?ISO-8859-1?B?Y2Q=?= end", ""},
        {"short open word ends at the line end", "=?iso-8859-1?q?abc", "next\n"},
        {"word cut, rest on the next line", cut, std::string(40, 'y') + "?= end\r\nnext\r\n"},
        {"word cut over several lines", cut, std::string(40, 'y') + "\r\n" + std::string(40, 'z') + "?=\r\nn\r\n"},
        {"word cut at the end of input", cut, ""},
        {"word cut, next line without its end", cut, "tail?= x"},
        {"word cut, CR at the very end", cut, "tail\r"},
        {"word cut, bare LF and lone CR", cut, "a\rb\nc?=\n"},
        {"word cut, CR CR LF", cut, "ab\r\r\n?=\n"},
        {"word cut, blank lines then the end", cut, "\n\r\n\n?= done\nnext\n"},
        {"word cut, NUL in the next line", cut, std::string("ab\0cd?=\r\nnext\n", 14)},
        {"word cut, CR before a NUL in the next line", cut, std::string("ab\r\0cd\r\nx?=\r\n", 13)},
        {"word cut, CR before a NUL in the last line", cut, std::string("ab\r\0cd", 6)},
        {"NUL in the text itself", std::string("=?iso-8859-1?q?a?= b\0c", 22), "next\n"},
        {"base64 word cut", "To: =?big5?b?" + std::string(40, 'Q'), std::string(8, 'Q') + "?=\n"},
        {"a second word cut after the first", "=?iso-8859-1?q?a?= =?iso-8859-1?q?" + std::string(35, 'b'),
         "cc?= tail\nrest\n"},
        {"line of 1023 characters", "=?iso-8859-1?q?" + long1023 + "?=", "next\n"},
        {"line of 1024 characters", "=?iso-8859-1?q?" + long1023 + "b?=", "next\n"},
        {"line of 2000 characters", "=?iso-8859-1?q?" + std::string(2000, 'c') + "?= tail", "next\n"},
        {"line of 100000 characters", "x =?iso-8859-1?q?" + std::string(100000, 'd') + "?= y", "next\n"},
        {"word cut, joined line of 1023 characters", cut, long1023 + "?=\nnext\n"},
        {"word cut, joined line of 1024 characters", cut, long1023 + "e?=\nnext\n"},
        {"word cut, joined line of 2000 characters", cut, std::string(2000, 'f') + "?=\nnext\n"},
        {"word cut, joined lines of 60000 characters", cut, std::string(30000, 'g') + "\n" + std::string(30000, 'h') + "?=\n"},
    };
    for (const Row& row : rows) {
        const Outcome want = withRoomToSpare(row.line, row.following);
        forEveryReading(row.following, [&](LineSource& source, const std::string& reading) {
            const Outcome got = onString(source, row.line);
            EXPECT_TRUE(got == want) << row.name << ", " << reading << ": got " << show(got) << ", want " << show(want);
        });
    }
}

TEST(EncodedWordsOnString, TheJoinLimitLeavesTheLineInTheInput) {
    struct Row {
        const char* name;
        std::string following;
        std::size_t wantJoined;  // bytes of the following lines the word takes
        std::string wantRest;
    };
    const std::string fits(kMaxJoinedText - 1, 'y');  // with its line end, exactly the limit
    const std::string tooLong(kMaxJoinedText, 'z');
    const std::vector<Row> rows = {
        {"a line exactly at the limit is joined", fits + "\nnext\n", fits.size(), "next\n"},
        {"a line past the limit stays", tooLong + "?=\nnext\n", 0, tooLong + "?=\nnext\n"},
        {"a line of 100000 characters stays", std::string(100000, 'w') + "\n", 0, std::string(100000, 'w') + "\n"},
        {"the line that would pass the limit stays", "ab\n" + std::string(kMaxJoinedText - 3, 'v') + "\nnext\n", 2,
         std::string(kMaxJoinedText - 3, 'v') + "\nnext\n"},
        {"blank lines count their ends", std::string(kMaxJoinedText + 5, '\n'), 0, std::string(5, '\n')},
    };
    const std::string word = std::string(40, 'x');
    for (const Row& row : rows) {
        forEveryReading(row.following, [&](LineSource& source, const std::string& reading) {
            const Outcome got = onString(source, "=?iso-8859-1?q?" + word);
            std::string wantText = word;
            for (char c : row.following.substr(0, row.wantJoined + 1))
                if (c != '\n') wantText.push_back(c);
            wantText.resize(word.size() + row.wantJoined);
            const Outcome want{1, wantText, row.wantRest};
            EXPECT_TRUE(got == want) << row.name << ", " << reading << ": got " << show(got) << ", want " << show(want);
        });
    }
}

// The pieces of a line longer than the source's cap are never joined.
TEST(EncodedWordsOnString, APieceOfACappedLineStays) {
    const std::string following = std::string(50, 'p') + "?=\nnext\n";
    LineSource source(following.data(), following.size(), LineSourceOptions{20, kDefaultReadSize});
    const Outcome got = onString(source, "=?iso-8859-1?q?" + std::string(40, 'x'));
    const Outcome want{1, std::string(40, 'x'), following};
    EXPECT_TRUE(got == want) << "got " << show(got) << ", want " << show(want);
}

}  // namespace
}  // namespace kodra::testing
