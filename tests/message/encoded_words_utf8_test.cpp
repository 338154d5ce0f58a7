// decodeEncodedWordsToUtf8: B and Q words in many charsets, the blanks between adjacent
// words, characters cut between words, malformed words left as text, the text around
// the words, and UTF-8 whatever the input.
#include "frame/utf8_text.h"
#include "message/encoded_words.h"
#include "support/shown_bytes.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

namespace kodra::testing {
namespace {

const std::string& kFffd = kReplacementCharacter;

struct Row {
    const char* name;
    std::string text;
    std::string want;
};

void expectRows(const Row* rows, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const Row& row = rows[i];
        const std::string got = decodeEncodedWordsToUtf8(row.text);
        EXPECT_EQ(got, row.want) << row.name << ": got " << shown(got) << ", want " << shown(row.want);
    }
}

TEST(EncodedWordsToUtf8, Charsets) {
    const Row rows[] = {
        {"no words", "Tide report", "Tide report"},
        {"B in UTF-8", "=?UTF-8?B?Q2Fmw6k=?=", "Café"},
        {"Q in Latin-1", "=?iso-8859-1?q?Caf=E9?=", "Café"},
        {"Q underscore is a space", "=?utf-8?Q?a_b?=", "a b"},
        {"Q escaped question mark", "=?utf-8?Q?why=3F?=", "why?"},
        {"KOI8-R", "=?koi8-r?B?8NLJ18XU?=", "Привет"},
        {"ISO-2022-JP", "=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", "日本語"},
        {"GB2312", "=?gb2312?B?1tDOxA==?=", "中文"},
        {"EUC-KR", "=?euc-kr?B?x9Gxub7u?=", "한국어"},
        {"ks_c_5601-1987", "=?ks_c_5601-1987?B?x9Gxub7u?=", "한국어"},
        {"windows-1252", "=?windows-1252?Q?=80_5?=", "€ 5"},
        {"Big5", "=?big5?Q?=A4=A4=A4=E5?=", "中文"},
        {"RFC 2231 language in the charset", "=?utf-8*en?q?hi?=", "hi"},
        {"unpadded B keeps its last bytes", "=?utf-8?b?Q2Fmw6k?=", "Café"},
        {"lower-case mode letters", "=?utf-8?b?aGk=?= =?utf-8?q?!?=", "hi!"},
        {"unknown charset, UTF-8 bytes", "=?x-unknown?q?=C3=A9?=", "é"},
        {"unknown charset, other bytes", "=?x-unknown?q?=E9t=E9?=", kFffd + "t" + kFffd},
        {"invalid UTF-8 in a word", "=?utf-8?q?a=FFb?=", "a" + kFffd + "b"},
    };
    expectRows(rows, std::size(rows));
}

TEST(EncodedWordsToUtf8, AdjacentWords) {
    const Row rows[] = {
        {"blank between words dropped", "=?utf-8?q?a?= =?utf-8?q?b?=", "ab"},
        {"folding between words dropped", "=?utf-8?q?a?=\r\n\t=?utf-8?q?b?=", "ab"},
        {"text between words kept", "=?utf-8?q?a?= and =?utf-8?q?b?=", "a and b"},
        {"blank before the first word kept", "Re: =?utf-8?q?a?=", "Re: a"},
        {"blank after the last word kept", "=?utf-8?q?a?= b", "a b"},
        {"UTF-8 character cut between B words", "=?utf-8?B?4oI=?= =?utf-8?B?rA==?=", "€"},
        {"Shift_JIS character cut between Q words", "=?shift_jis?q?=93?= =?SHIFT_JIS?q?=FA=96{?=", "日本"},
        {"different charsets side by side", "=?iso-8859-1?q?=E9?= =?koi8-r?q?=F0?=", "éП"},
        {"cut character across charsets is lost", "=?utf-8?B?4oI=?= =?latin1?q?x?=", kFffd + kFffd + "x"},
    };
    expectRows(rows, std::size(rows));
}

TEST(EncodedWordsToUtf8, MalformedWordsStayText) {
    const Row rows[] = {
        {"unknown mode letter", "=?utf-8?X?abc?=", "=?utf-8?X?abc?="},
        {"no end", "=?utf-8?q?abc", "=?utf-8?q?abc"},
        {"blank inside", "=?utf-8?q?a b?=", "=?utf-8?q?a b?="},
        {"empty charset", "=??q?a?=", "=??q?a?="},
        {"B text outside the alphabet", "=?utf-8?b?a!b=?=", "=?utf-8?b?a!b=?="},
        {"B text after padding", "=?utf-8?b?aQ==aQ?=", "=?utf-8?b?aQ==aQ?="},
        {"lone lead", "a =? b", "a =? b"},
        {"word right after a false start", "=?=?utf-8?q?x?=", "=?x"},
        {"Q equals without digits", "=?utf-8?q?a=Zb=?=", "a=Zb="},
    };
    expectRows(rows, std::size(rows));
}

TEST(EncodedWordsToUtf8, TextAroundWords) {
    const Row rows[] = {
        {"UTF-8 text kept", "Caf\xC3\xA9 =?utf-8?q?x?=", "Café x"},
        {"Latin-1 text read as Latin-1", "caf\xE9 =?utf-8?q?x?=", "café x"},
        {"Latin-1 text without words", "caf\xE9", "café"},
        {"empty", "", ""},
    };
    expectRows(rows, std::size(rows));
}

// Whatever the text, what comes out is UTF-8: words of random bytes in several charsets,
// between random text.
TEST(EncodedWordsToUtf8, AlwaysWellFormed) {
    std::mt19937 random(7);
    const char* charsets[] = {"utf-8", "shift_jis", "iso-2022-jp", "x-unknown", "utf-16", "koi8-r"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int piece = 0; piece < 3; ++piece) {
            for (int i = static_cast<int>(random() % 5); i > 0; --i) text += static_cast<char>(random());
            text += "=?" + std::string(charsets[random() % std::size(charsets)]) + "?q?";
            for (int i = static_cast<int>(random() % 6); i > 0; --i) {
                static const char hex[] = "0123456789ABCDEF";
                text += '=';
                text += hex[random() % 16];
                text += hex[random() % 16];
            }
            text += "?= ";
        }
        const std::string got = decodeEncodedWordsToUtf8(text);
        EXPECT_TRUE(isUtf8(got)) << "on " << shown(text) << ": got " << shown(got) << ", want UTF-8";
    }
}

}  // namespace
}  // namespace kodra::testing
