// Text sections: written with the message's own line ends (or CR LF where asked), the
// blank line before a boundary left out, quoted-printable soft breaks joined.
#include "decode/text_section_copier.h"

#include "section_copy_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra::testing {
namespace {

struct TextRow {
    const char* name;
    std::string body;  // the boundary is "b"
    bool quotedPrintable;
    std::string wantMessageEnds;
    std::string wantCrLf;
};

std::vector<TextRow> textRows() {
    return {
        {"LF lines", "one\ntwo\n\n--b--\nafter\n", false, "one\ntwo\n", "one\r\ntwo\r\n"},
        {"CR LF lines", "one\r\ntwo\r\n\r\n--b--\r\nafter\r\n", false, "one\r\ntwo\r\n", "one\r\ntwo\r\n"},
        {"CR lines", "one\rtwo\r\r--b--\rafter\r", false, "one\rtwo\r", "one\r\ntwo\r\n"},
        {"mixed line ends", "one\r\ntwo\n\n--b\nafter\n", false, "one\r\ntwo\n", "one\r\ntwo\r\n"},
        {"blank lines inside keep their ends", "a\n\r\n\nb\n--b\nafter\n", false, "a\n\r\n\nb\n", "a\r\n\r\n\r\nb\r\n"},
        {"no blank line before the boundary", "one\n--b\nafter\n", false, "one\n", "one\r\n"},
        {"last line without a line end", "one\r\ntwo", false, "one\r\ntwo\r\n", "one\r\ntwo\r\n"},
        {"last line after LF lines", "one\ntwo", false, "one\ntwo\n", "one\r\ntwo\r\n"},
        {"only line without a line end", "one", false, "one\r\n", "one\r\n"},
        {"lone CR inside an LF line", "a\rb\n--b\nafter\n", false, "a\rb\n", "a\rb\r\n"},
        {"NUL ends the line's text", std::string("ab\0c\nd\n--b\nafter\n", 17), false, "ab\nd\n", "ab\r\nd\r\n"},
        {"quoted-printable soft break, LF", "caf=E9 soft=\nbreak\n\n--b\nafter\n", true, "caf\xE9 softbreak\n",
         "caf\xE9 softbreak\r\n"},
        {"quoted-printable soft break, CR LF", "x=\r\ny\r\n--b\r\nafter\r\n", true, "xy\r\n", "xy\r\n"},
        {"quoted-printable soft break, CR", "x=\ry\r\r\r--b\rafter\r", true, "xy\r\r", "xy\r\n\r\n"},
        {"quoted-printable encoded line end", "a=0D=0A\nb\n--b\nafter\n", true, "a\r\nb\n", "a\r\nb\r\n"},
    };
}

TEST(TextSectionCopier, KeepsTheMessagesLineEndsOrWritesCrLf) {
    for (const TextRow& row : textRows()) {
        for (const TextLineEnds lineEnds : {TextLineEnds::message, TextLineEnds::crLf}) {
            const std::string& want = lineEnds == TextLineEnds::message ? row.wantMessageEnds : row.wantCrLf;
            const char* mode = lineEnds == TextLineEnds::message ? "message line ends" : "CR LF";
            const Copier copy = [&](const BoundaryList& boundaries, LineSource& source, ByteSink* sink) {
                return copyTextSection(boundaries, source, sink, std::string(), row.quotedPrintable, lineEnds);
            };
            for (const CopyOutcome& got : copyEveryWay(row.body, copy)) {
                EXPECT_EQ(got.written, want) << row.name << ", " << mode << ", " << got.where << ": got "
                                             << shown(got.written) << ", want " << shown(want);
                EXPECT_TRUE(got.result.written && got.result.headerEnded) << row.name << ", " << got.where;
                const bool bounded = row.body.find("--b") != std::string::npos;
                EXPECT_EQ(got.nextLine, bounded ? "after" : "<end>") << row.name << ", " << got.where << ": got \""
                                                                     << got.nextLine << "\" next";
            }
        }
    }
}

TEST(TextSectionCopier, SkipsTheRestOfTheHeaderFirst) {
    const Copier copy = [](const BoundaryList& boundaries, LineSource& source, ByteSink* sink) {
        return copyTextSection(boundaries, source, sink, "Content-Type: text/plain", false, TextLineEnds::message);
    };
    for (const CopyOutcome& got : copyEveryWay("X-Other: 1\n\nbody\n--b\nafter\n", copy))
        EXPECT_EQ(got.written, "body\n") << got.where << ": got " << shown(got.written);
    for (const CopyOutcome& got : copyEveryWay("X-Other: 1\nX-More: 2\n", copy)) {
        EXPECT_FALSE(got.result.headerEnded) << got.where << ": got the header ended";
        EXPECT_EQ(got.written, "") << got.where;
    }
}

TEST(TextSectionCopier, RefusedOutputFailsButReadsThrough) {
    BoundaryList boundaries;
    boundaries.add("b");
    const std::string body = "one\ntwo\n--b\nafter\n";
    LineSource source(body.data(), body.size());
    StringSink refusing(true);
    const TextCopy result = copyTextSection(boundaries, source, &refusing, std::string(), false, TextLineEnds::message);
    EXPECT_FALSE(result.written) << "got the section written to a refusing output";
    SourceLine line;
    ASSERT_TRUE(source.next(line));
    EXPECT_EQ(line.text, "after");
}

}  // namespace
}  // namespace kodra::testing
