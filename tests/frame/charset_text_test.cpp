// charsetToUtf8: every charset mail commonly names, with a known sample; aliases and the
// language suffix; invalid and incomplete sequences; unknown charsets; and the promise
// that nothing but UTF-8 comes out, whatever the bytes.
#include "frame/charset_text.h"
#include "frame/utf8_text.h"
#include "support/shown_bytes.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace kodra::testing {
namespace {

const std::string& kFffd = kReplacementCharacter;

struct Row {
    const char* name;
    std::string charset;
    std::string bytes;
    std::string want;
};

// Samples: the same words written by Python's codecs in each charset. Literals are split
// where a hexadecimal escape would swallow the next letter.
const Row kKnownSamples[] = {
    {"KOI8-R", "koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4", "Привет"},
    {"KOI8-U", "KOI8-U", "\xF5\xCB\xD2\xC1\xA7\xCE\xC1", "Україна"},
    {"EUC-KR", "euc-kr", "\xC7\xD1\xB1\xB9\xBE\xEE", "한국어"},
    {"CP949 beyond EUC-KR", "cp949", "\x8C" "c", "똠"},
    {"ks_c_5601-1987 is CP949", "ks_c_5601-1987", "\x8C" "c\xC7\xD1", "똠한"},
    {"GB2312", "gb2312", "\xD6\xD0\xCE\xC4", "中文"},
    {"GB2312 label on GBK text", "GB2312", "\x81\x40", "丂"},
    {"GBK", "gbk", "\xD6\xD0\xCE\xC4", "中文"},
    {"Big5", "big5", "\xA4\xA4\xA4\xE5", "中文"},
    {"Shift_JIS", "shift_jis", "\x93\xFA\x96{\x8C\xEA", "日本語"},
    {"x-sjis is Shift_JIS", "x-sjis", "\x93\xFA\x96{\x8C\xEA", "日本語"},
    {"EUC-JP", "euc-jp", "\xC6\xFC\xCB\xDC\xB8\xEC", "日本語"},
    {"windows-1252", "windows-1252", "\x80\x82\x9E", "€‚ž"},
    {"windows-1251", "windows-1251", "\xC6\xF3\xEA", "Жук"},
    {"ISO-8859-1", "ISO-8859-1", "caf\xE9", "café"},
    {"ISO-8859-2", "iso-8859-2", "\xA3\xF3" "d\xBC", "Łódź"},
    {"ISO-8859-7", "iso-8859-7", "\xC5\xEB\xEB\xDC\xE4\xE1", "Ελλάδα"},
    {"ISO-8859-15", "iso-8859-15", "\xA4", "€"},
    {"latin1 alias", "latin1", "\xFC", "ü"},
    {"iso8859-2 spelling", "iso8859-2", "\xA3", "Ł"},
    {"cp1252 spelling", "cp1252", "\x80", "€"},
    {"US-ASCII", "us-ascii", "plain text", "plain text"},
    {"UTF-8", "utf-8", "caf\xC3\xA9", "café"},
    {"utf8 alias", "UTF8", "\xE2\x82\xAC", "€"},
    {"RFC 2231 language suffix", "iso-8859-1*de", "Gr\xFC\xDF" "e", "Grüße"},
    {"quoted name", "\"iso-8859-1\"", "\xE9", "é"},
    {"empty text", "koi8-r", "", ""},
};

TEST(CharsetToUtf8, KnownSamples) {
    for (const Row& row : kKnownSamples) {
        const std::string got = charsetToUtf8(row.charset, row.bytes);
        EXPECT_EQ(got, row.want) << row.name << ": got " << shown(got) << ", want " << shown(row.want);
    }
}

const Row kBadInput[] = {
    {"UTF-8 stray continuation byte", "utf-8", "a\x80" "b", "a" + kFffd + "b"},
    {"UTF-8 Latin-1 byte", "utf-8", "caf\xE9", "caf" + kFffd},
    {"UTF-8 cut sequence at the end", "utf-8", "ab\xE2\x82", "ab" + kFffd + kFffd},
    {"UTF-8 overlong slash", "utf-8", "\xC0\xAF", kFffd + kFffd},
    {"UTF-8 surrogate", "utf-8", "\xED\xA0\x80", kFffd + kFffd + kFffd},
    {"UTF-8 past U+10FFFF", "utf-8", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
    {"US-ASCII label on Latin-1", "us-ascii", "caf\xE9", "caf" + kFffd},
    {"US-ASCII label on UTF-8", "us-ascii", "caf\xC3\xA9", "café"},
    {"unknown charset keeps UTF-8", "x-no-such-charset", "caf\xC3\xA9", "café"},
    {"unknown charset, other bytes", "x-no-such-charset", "caf\xE9!", "caf" + kFffd + "!"},
    {"empty charset", "", "\xE9", kFffd},
    {"converter options refused", "utf-8//TRANSLIT", "\xE9", kFffd},
    {"blank inside the name", "iso 8859-1", "\xE9", kFffd},
    {"overlong name", std::string(100, 'a'), "\xE9", kFffd},
};

TEST(CharsetToUtf8, InvalidSequencesAndUnknownCharsets) {
    for (const Row& row : kBadInput) {
        const std::string got = charsetToUtf8(row.charset, row.bytes);
        EXPECT_EQ(got, row.want) << row.name << ": got " << shown(got) << ", want " << shown(row.want);
    }
}

// ISO-2022-JP's escapes choose its sets (RFC 1468); where Windows lacks code page 50220
// (as Wine does) it is read as EUC-JP.
TEST(CharsetToUtf8, Iso2022Jp) {
    const Row rows[] = {
        {"JIS X 0208 then ASCII", "iso-2022-jp", "\x1B$BF|K\\8l\x1B(B!", "日本語!"},
        {"ASCII around a word", "iso-2022-jp", "a \x1B$B%F%9%H\x1B(B b", "a テスト b"},
        {"JIS Roman reads as ASCII", "iso-2022-jp", "\x1B(Jabc\x1B(B", "abc"},
        {"no escape at all", "iso-2022-jp", "plain", "plain"},
    };
    for (const Row& row : rows) {
        const std::string got = charsetToUtf8(row.charset, row.bytes);
        EXPECT_EQ(got, row.want) << row.name << ": got " << shown(got) << ", want " << shown(row.want);
    }
}

#ifndef _WIN32
// GB18030's Windows code page (54936) is one Wine, where the Windows build is tested,
// does not convert.
TEST(CharsetToUtf8, FourByteCharsets) {
    const Row rows[] = {
        {"GB18030", "gb18030", "\xD6\xD0\xCE\xC4\xA2\xE3", "中文€"},
    };
    for (const Row& row : rows) {
        const std::string got = charsetToUtf8(row.charset, row.bytes);
        EXPECT_EQ(got, row.want) << row.name << ": got " << shown(got) << ", want " << shown(row.want);
    }
}

// iconv's invalid sequences: one U+FFFD for the byte it stops at, then on with the next
// byte. (The Windows code pages put their own default character there.)
TEST(CharsetToUtf8, InvalidSequencesInIconv) {
    const Row rows[] = {
        {"Shift_JIS invalid trail byte", "shift_jis", "\x93\x20" "a", kFffd + " a"},
        {"Shift_JIS lead byte at the end", "shift_jis", "ok\x93", "ok" + kFffd},
        {"EUC-KR invalid pair", "euc-kr", "\xC7" "A", kFffd + "A"},
        {"KOI8-R has no invalid byte", "koi8-r", "\xFF", "\xD0\xAA"},
        {"ISO-2022-JP stays ASCII after an escape", "iso-2022-jp", "a\x1B(Bb", "ab"},
    };
    for (const Row& row : rows) {
        const std::string got = charsetToUtf8(row.charset, row.bytes);
        EXPECT_EQ(got, row.want) << row.name << ": got " << shown(got) << ", want " << shown(row.want);
    }
}
#endif

TEST(CanonicalCharsetName, FoldsSpellings) {
    const struct {
        const char* name;
        const char* charset;
        const char* want;
    } rows[] = {
        {"case", "ISO-8859-1", "iso-8859-1"},
        {"language suffix", "UTF-8*en-us", "utf-8"},
        {"blanks and quotes", " \"koi8-r\" ", "koi8-r"},
        {"korean alias", "KS_C_5601-1987", "cp949"},
        {"japanese alias", "x-sjis", "shift_jis"},
        {"underscore spelling", "iso_8859-7", "iso-8859-7"},
        {"windows spelling", "CP1250", "windows-1250"},
        {"slash refused", "utf-8//ignore", ""},
        {"control refused", "utf\x01-8", ""},
        {"name kept", "x-unknown", "x-unknown"},
    };
    for (const auto& row : rows) {
        const std::string got = canonicalCharsetName(row.charset);
        EXPECT_EQ(got, row.want) << row.name << ": got \"" << got << "\", want \"" << row.want << "\"";
    }
}

// Whatever the bytes, what comes out is UTF-8: random text under every charset.
TEST(CharsetToUtf8, AlwaysWellFormed) {
    std::mt19937 random(20261207);
    const char* charsets[] = {"utf-8",     "us-ascii",    "koi8-r",     "euc-kr",      "gb2312",
                              "gb18030",   "big5",        "shift_jis",  "euc-jp",      "iso-2022-jp",
                              "utf-7",     "utf-16",      "windows-1252", "iso-8859-7", "x-unknown"};
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 40), '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        for (const char* charset : charsets) {
            const std::string got = charsetToUtf8(charset, bytes);
            EXPECT_TRUE(isUtf8(got)) << charset << " on " << shown(bytes) << ": got " << shown(got)
                                     << ", want well-formed UTF-8";
        }
    }
}

// Threads converting at once each get their own results (run under ThreadSanitizer too).
TEST(CharsetToUtf8, ThreadsConvertAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (std::size_t t = 0; t < wrong.size(); ++t) {
        threads.emplace_back([t, &wrong] {
            for (int i = 0; i < 300; ++i) {
                const Row& row = kKnownSamples[(t * 7 + static_cast<std::size_t>(i)) % std::size(kKnownSamples)];
                if (charsetToUtf8(row.charset, row.bytes) != row.want) ++wrong[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (std::size_t t = 0; t < wrong.size(); ++t)
        EXPECT_EQ(wrong[t], 0) << "thread " << t << ": got " << wrong[t] << " wrong conversions, want 0";
}

}  // namespace
}  // namespace kodra::testing
