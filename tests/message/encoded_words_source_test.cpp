// decodeEncodedWords joining lines from a line source gives what it gives from the stream:
// the same text, the same result, and the same bytes left to read.
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

std::string restOfStream(std::FILE* stream) {
    std::string rest;
    char chunk[256];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, stream)) > 0;) rest.append(chunk, got);
    return rest;
}

std::string restOfSource(LineSource& source) {
    std::string rest;
    char piece[256];
    for (std::size_t got; (got = source.readPiece(piece, sizeof piece)) > 0;) rest.append(piece, got);
    return rest;
}

TEST(EncodedWordsFromLineSource, SameAsFromTheStream) {
    struct Row {
        const char* name;
        std::string line;
        std::string following;
    };
    const std::string cut = "Subject: =?iso-8859-1?q?" + std::string(40, 'x');
    const std::vector<Row> rows = {
        {"no word", "Subject: plain", "next\r\n"},
        {"whole word", "Subject: =?iso-8859-1?q?Caf=E9?=", "next\r\n"},
        {"word cut, rest on the next line", cut, std::string(40, 'y') + "?= end\r\nnext\r\n"},
        {"word cut over several lines", cut, std::string(40, 'y') + "\r\n" + std::string(40, 'z') + "?=\r\n"},
        {"word cut at the end of input", cut, ""},
        {"word cut, long next line", cut, std::string(3000, 'L') + "?=\r\nnext\n"},
        {"word cut, NUL in the next line", cut, std::string("ab\0cd?=\r\nnext\n", 14)},
        {"word cut, CR LF split by the room", cut, std::string(20, 'q') + "\r\n?=\r\n"},
        {"base64 word cut", "To: =?big5?b?" + std::string(40, 'Q'), std::string(8, 'Q') + "?=\n"},
    };
    for (const Row& row : rows) {
        for (std::size_t spare = 1; spare <= 90; spare += row.line.size() > 40 ? std::size_t{1} : std::size_t{30}) {
            const std::size_t room = row.line.size() + spare;
            for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
                std::vector<char> fromStream(room, '\0');
                std::vector<char> fromSource(room, '\0');
                std::memcpy(fromStream.data(), row.line.c_str(), row.line.size() + 1);
                std::memcpy(fromSource.data(), row.line.c_str(), row.line.size() + 1);
                auto stream = streamWith(row.following);
                auto sourceStream = streamWith(row.following);
                LineSource source(sourceStream.get(), {kNoLineCap, readSize});
                const int want = reference::decodeEncodedWords(stream.get(), fromStream.data(), room);
                const int got = reference::decodeEncodedWords(source, fromSource.data(), room);
                const std::string where = std::string(row.name) + ", room " + std::to_string(room) + ", read size " +
                                          std::to_string(readSize);
                EXPECT_EQ(got, want) << where;
                EXPECT_EQ(std::string(fromSource.data()), std::string(fromStream.data()))
                    << where << ": got \"" << fromSource.data() << "\", want \"" << fromStream.data() << "\"";
                EXPECT_EQ(restOfSource(source), restOfStream(stream.get())) << where << ": the bytes left differ";
            }
        }
    }
}

}  // namespace
}  // namespace kodra::testing
