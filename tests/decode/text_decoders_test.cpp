#include "decode/text_decoders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

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

// The rules of decodeQuotedPrintable, one character at a time into a fresh string: the
// oracle for the in-place decoder's bulk moves.
struct OracleResult {
    std::string text;    // the bytes left in place
    std::size_t length;  // the decoded length
};

int oracleHex(char c) {
    const std::string digits = "0123456789ABCDEF";
    const std::string lower = "0123456789abcdef";
    if (c != '\0' && digits.find(c) != std::string::npos) return static_cast<int>(digits.find(c));
    if (c != '\0' && lower.find(c) != std::string::npos) return static_cast<int>(lower.find(c));
    return -1;
}

OracleResult quotedPrintableOracle(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '=') {
            out += in[i];
        } else if (i + 1 == in.size()) {
            break;  // soft break at the end
        } else if (in[i + 1] == '\r' && i + 2 < in.size() && in[i + 2] == '\n') {
            i += 2;
        } else if (in[i + 1] == '\r' || in[i + 1] == '\n') {
            i += 1;
        } else if (i + 2 == in.size()) {
            return {out + in.substr(i), out.size()};  // cut escape: kept, not counted
        } else if (oracleHex(in[i + 1]) >= 0 && oracleHex(in[i + 2]) >= 0) {
            out += static_cast<char>(oracleHex(in[i + 1]) * 16 + oracleHex(in[i + 2]));
            i += 2;
        } else {
            out += '=';
        }
    }
    return {out, out.size()};
}

void expectMatchesOracle(const std::string& input) {
    // One byte of slack past the size, which the decoder must leave alone.
    std::string buffer = input + '#';
    const QuotedPrintableResult got = decodeQuotedPrintable(buffer.data(), input.size());
    const OracleResult want = quotedPrintableOracle(input);
    ASSERT_EQ(got.length, want.length) << "input \"" << input << "\": got length " << got.length << ", want "
                                       << want.length;
    ASSERT_EQ(buffer.substr(0, got.kept), want.text)
        << "input \"" << input << "\": got \"" << buffer.substr(0, got.kept) << "\", want \"" << want.text << "\"";
    ASSERT_EQ(buffer.back(), '#') << "input \"" << input << "\": byte past the size changed";
}

TEST(DecodeQuotedPrintable, MatchesOracleOnEveryShortText) {
    // Every text of up to seven characters over symbols that hit each rule: escapes of
    // either case, bad escapes, soft breaks with CR LF, CR or LF, and plain characters.
    const std::string symbols = "=A0f\r\n_";
    for (std::size_t length = 0; length <= 7; ++length) {
        std::vector<std::size_t> digits(length, 0);
        for (;;) {
            std::string input;
            for (std::size_t d : digits) input += symbols[d];
            expectMatchesOracle(input);
            if (HasFatalFailure()) return;
            std::size_t at = 0;
            while (at < length && ++digits[at] == symbols.size()) digits[at++] = 0;
            if (at == length) break;
        }
    }
}

TEST(DecodeQuotedPrintable, MatchesOracleOnLongRandomTexts) {
    std::mt19937 random(20261207u);
    const std::string symbols = "=0123456789ABCDEFabcdefXyz _\r\n\t\xE9";
    for (int round = 0; round < 300; ++round) {
        const std::size_t length = random() % 5000;
        // Runs of literals of varied length between the "=", as in real bodies.
        const auto equalsOneIn = 2 + random() % 60;
        std::string input;
        while (input.size() < length)
            input += random() % equalsOneIn == 0 ? '=' : symbols[1 + random() % (symbols.size() - 1)];
        expectMatchesOracle(input);
        if (HasFatalFailure()) return;
    }
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
