#include "archive/archive_units.h"
#include "archive/mbox_from_lines.h"
#include "support/shown_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kodra {
namespace {

using testing::shown;
using Messages = std::vector<std::pair<long long, std::string>>;

Messages messagesOf(std::string_view block, long long baseOffset = 0) {
    Messages found;
    std::string scratch;
    forEachMboxMessage(block, baseOffset, scratch, [&found](long long offset, std::string_view message) {
        found.emplace_back(offset, std::string(message));
    });
    return found;
}

std::string describe(const Messages& messages) {
    std::string text;
    for (const auto& [offset, message] : messages) text += "(" + std::to_string(offset) + ", " + shown(message) + ") ";
    return text.empty() ? "nothing" : text;
}

struct Row {
    const char* name;
    std::string mbox;
    Messages want;
};

const std::vector<Row>& rows() {
    static const std::vector<Row> table = {
        {"one message", "From a\nbody\n", {{0, "body\n"}}},
        {"separator before the end of the file goes", "From a\nbody\n\n", {{0, "body\n"}}},
        {"two messages", "From a\nX: 1\n\nbody\n\nFrom b\nY: 2\n\nmore\n",
         {{0, "X: 1\n\nbody\n"}, {19, "Y: 2\n\nmore\n"}}},
        {"quoted From unquoted", "From a\n>From here\nx\n", {{0, "From here\nx\n"}}},
        {"doubly quoted From loses one", "From a\n>>From here\n", {{0, ">From here\n"}}},
        {"quoted From on the last line without line end", "From a\nx\n>From y", {{0, "x\nFrom y"}}},
        {"quote inside a line stays", "From a\nsay >From x\n", {{0, "say >From x\n"}}},
        {"quote without the space stays", "From a\n>Fromage\n>From\n", {{0, ">Fromage\n>From\n"}}},
        {"From in a body without empty line before", "From a\nline\nFrom here\n", {{0, "line\nFrom here\n"}}},
        {"CR LF", "From a\r\nX: 1\r\n\r\nbody\r\n\r\nFrom b\r\nbody2\r\n",
         {{0, "X: 1\r\n\r\nbody\r\n"}, {24, "body2\r\n"}}},
        {"CR LF quoted From", "From a\r\n>From x\r\n", {{0, "From x\r\n"}}},
        {"no final newline", "From a\nbody", {{0, "body"}}},
        {"empty file", "", {}},
        {"text before the first From", "preamble\n\nFrom a\nbody\n", {{0, "preamble\n"}, {10, "body\n"}}},
        {"only empty lines before the first From", "\n\r\nFrom a\nbody\n", {{3, "body\n"}}},
        {"no From line at all", "just text\n", {{0, "just text\n"}}},
        {"truncated last message", "From a\nbody\n\nFrom b\nSubject: cut", {{0, "body\n"}, {13, "Subject: cut"}}},
        {"From line alone at the end", "From a\nbody\n\nFrom b", {{0, "body\n"}, {13, ""}}},
        {"empty message", "From a\n\nFrom b\nx\n", {{0, ""}, {8, "x\n"}}},
        {"two empty lines keep one", "From a\nx\n\n\nFrom b\n", {{0, "x\n\n"}, {11, ""}}},
        {"From after a line of spaces is no separator", "From a\nx\n \nFrom b\n", {{0, "x\n \nFrom b\n"}}},
    };
    return table;
}

TEST(MboxMessages, Rows) {
    for (const Row& row : rows()) {
        const Messages got = messagesOf(row.mbox);
        EXPECT_EQ(got, row.want) << row.name << ": got " << describe(got) << ", want " << describe(row.want);
    }
}

TEST(MboxMessages, OffsetsCountFromTheBlockBase) {
    const Messages got = messagesOf("From a\nx\n\nFrom b\ny\n", 1000);
    const Messages want = {{1000, "x\n"}, {1010, "y\n"}};
    EXPECT_EQ(got, want) << "got " << describe(got) << ", want " << describe(want);
}

// Every table row, cut at every chunk size, gives the messages of the whole.
TEST(MboxMessages, RangesAtEveryChunkSizeGiveTheWholeList) {
    for (const Row& row : rows()) {
        for (std::size_t chunk = 0; chunk <= row.mbox.size() + 1; ++chunk) {
            const std::vector<std::size_t> starts = cutMboxRanges(row.mbox, chunk);
            Messages got;
            for (std::size_t i = 0; i < starts.size(); ++i) {
                const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : row.mbox.size();
                const Messages part = messagesOf(std::string_view(row.mbox).substr(starts[i], end - starts[i]),
                                                 static_cast<long long>(starts[i]));
                got.insert(got.end(), part.begin(), part.end());
            }
            EXPECT_EQ(got, row.want) << row.name << " in chunks of " << chunk << ": got " << describe(got)
                                     << ", want " << describe(row.want);
        }
    }
}

TEST(MboxFromLines, Separators) {
    struct Case {
        const char* name;
        std::string bytes;
        std::size_t at;
        bool atFileStart;
        bool want;
    };
    const Case cases[] = {
        {"start of the file", "From a", 0, true, true},
        {"start of a block that is not the file's", "From a", 0, false, false},
        {"after an empty line", "x\n\nFrom a", 3, false, true},
        {"after a CR LF empty line", "x\r\n\r\nFrom a", 5, false, true},
        {"after a line", "x\nFrom a", 2, true, false},
        {"after an empty first line", "\nFrom a", 1, true, true},
        {"after an empty first line of a block", "\nFrom a", 1, false, false},
        {"after a CR LF empty first line", "\r\nFrom a", 2, true, true},
        {"lower case", "\n\nfrom a", 2, true, false},
        {"no space", "\n\nFrom:", 2, true, false},
        {"cut short", "\n\nFrom", 2, true, false},
        {"past the end", "\n\n", 5, true, false},
    };
    for (const Case& c : cases) {
        const bool got = isMboxFromLine(c.bytes, c.at, c.atFileStart);
        EXPECT_EQ(got, c.want) << c.name << ": got " << got << ", want " << c.want;
    }
}

}  // namespace
}  // namespace kodra
