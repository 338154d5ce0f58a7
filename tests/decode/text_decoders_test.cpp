#include "decode/text_decoders.h"

#include <gtest/gtest.h>

#include <string>

namespace kodra {
namespace {

TEST(DecodeQuotedPrintableText, Escapes) {
    struct Case {
        const char* name;
        std::string input;
        int wantLength;
        std::string wantText;  // what the buffer holds up to its terminator
    };
    const Case cases[] = {
        {"hex escape", "=41", 1, "A"},
        {"lower-case hex", "caf=e9!", 5, "caf\xE9!"},
        {"soft break at end", "line=", 4, "line"},
        {"soft break with crlf vanishes", "ab=\r\ncd", 4, "abcd"},
        {"soft break with lf vanishes", "ab=\ncd", 4, "abcd"},
        {"soft break at end with crlf", "ab=\r\n", 2, "ab"},
        {"hard line end stays", "ab\r\ncd", 6, "ab\r\ncd"},
        {"cut escape stays, uncounted", "ab=4", 2, "ab=4"},
        {"not hex stays", "a=ZZb", 5, "a=ZZb"},
        {"underscore is literal", "a_b", 3, "a_b"},
        {"equals sign itself", "1 =3D 1", 5, "1 = 1"},
        {"empty", "", 0, ""},
    };
    for (const Case& c : cases) {
        std::string buffer = c.input;
        const int got = decodeQuotedPrintableText(buffer.data());
        EXPECT_EQ(got, c.wantLength) << c.name;
        EXPECT_EQ(std::string(buffer.c_str()), c.wantText) << c.name;
    }
}

TEST(DecodeQuotedPrintableText, NulEscapeStillCountsTheRest) {
    char text[] = "a=00b";
    EXPECT_EQ(decodeQuotedPrintableText(text), 3);
    EXPECT_EQ(std::string(text, 3), std::string("a\0b", 3));
}

TEST(DecodeQuotedPrintable, StaysWithinTheGivenSize) {
    // The bytes after the size are not part of the text and must not be read.
    char text[] = "ab=41=4";
    const QuotedPrintableResult result = decodeQuotedPrintable(text, 5);  // "ab=41"
    EXPECT_EQ(result.length, 3u);
    EXPECT_EQ(std::string(text, 3), "abA");
    const QuotedPrintableResult cut = decodeQuotedPrintable(text, 2);
    EXPECT_EQ(cut.length, 2u);
}

TEST(IsBoundaryLine, Shapes) {
    struct Case {
        const char* name;
        const char* boundary;
        const char* line;
        int strict;
        int want;
    };
    const Case cases[] = {
        {"boundary anywhere", "xyz", "--xyz--", 1, 1},
        {"boundary absent strict", "xyz", "------=_Part_1", 1, 0},
        {"boundary without its dashes", "b", "YWJjZGVm", 1, 0},
        {"one-letter boundary delimiter", "b", "--b", 1, 1},
        {"boundary after later dashes", "b", "bb--b--", 1, 1},
        {"dashes and =_ loose", "xyz", "------=_NextPart_000", 0, 1},
        {"dashes without =_", "xyz", "----------", 0, 0},
        {"=_ only in first four", "xyz", "--=_", 0, 0},
        {"equals run with =_", "xyz", "ab=======cd=_e", 0, 1},
        {"equals run with dashes at five", "xyz", "====------ab=======", 0, 1},
        {"equals run alone", "xyz", "==========", 0, 0},
        {"empty boundary never matches by itself", "", "anything", 1, 0},
        {"short line", "xyz", "--", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isBoundaryLine(c.boundary, c.line, c.strict), c.want) << c.name;
    }
}

}  // namespace
}  // namespace kodra
