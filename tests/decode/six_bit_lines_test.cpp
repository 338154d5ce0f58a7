#include "decode/six_bit_lines.h"

#include "decode/decode_group.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kodra {
namespace {

constexpr SixBitRules kAllRules[] = {SixBitRules::fileUu, SixBitRules::fileBase64, SixBitRules::bufferUu,
                                     SixBitRules::bufferBase64};
const DecodeTable* const kAllTables[] = {&base64Table, &uuTable, &xxTable};

bool isFileRule(SixBitRules rules) { return rules == SixBitRules::fileUu || rules == SixBitRules::fileBase64; }
bool isBase64Rule(SixBitRules rules) {
    return rules == SixBitRules::fileBase64 || rules == SixBitRules::bufferBase64;
}

std::vector<SimdLevel> supportedLevels() {
    std::vector<SimdLevel> levels{SimdLevel::scalar};
    if (supportedSimdLevel() >= SimdLevel::ssse3) levels.push_back(SimdLevel::ssse3);
    if (supportedSimdLevel() >= SimdLevel::avx2) levels.push_back(SimdLevel::avx2);
    return levels;
}

const char* levelName(SimdLevel level) {
    switch (level) {
        case SimdLevel::scalar: return "scalar";
        case SimdLevel::ssse3: return "ssse3";
        case SimdLevel::avx2: return "avx2";
    }
    return "?";
}

std::string printable(const std::string& text) {
    std::string shown;
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 32 && code < 127) {
            shown += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", code);
            shown += escaped;
        }
    }
    return shown;
}

// The two decoders the shared one replaced, group by group, as the oracle of its rules.
SixBitLineResult reference(const std::string& symbols, std::size_t count, const DecodeTable& table,
                           SixBitRules rules, std::uint8_t* out) {
    const std::size_t available = symbols.size();
    if (isFileRule(rules)) {
        for (std::size_t k = 0; 3 * k < count; ++k) {
            const std::size_t at = 4 * k;
            const std::size_t left = at < available ? available - at : 0;
            std::uint8_t group[3];
            const int produced = decodeGroup(symbols.data() + std::min(at, available), left, group, table);
            if (produced == 0) return {0, 0, SixBitStop::failed};
            std::memcpy(out + 3 * k, group, 3);
            if (produced == 3) continue;
            if (rules == SixBitRules::fileUu) {
                for (int i = produced; i < 3; ++i) out[3 * k + static_cast<std::size_t>(i)] = 0;
            } else if (3 * (k + 1) >= count) {
                count -= static_cast<std::size_t>(3 - produced);
            } else {
                return {0, 0, SixBitStop::failed};
            }
        }
        return {count, 0, SixBitStop::none};
    }
    std::size_t p = 0, w = 0, owed = count;
    while (owed > 0) {
        std::uint8_t group[3];
        const int produced = decodeGroup(symbols.data() + p, available - p, group, table);
        const std::size_t counted = std::min<std::size_t>(3, owed);
        const std::size_t copied = std::min<std::size_t>(counted, static_cast<std::size_t>(produced));
        std::memcpy(out + w, group, copied);
        std::memset(out + w + copied, 0, counted - copied);
        w += counted;
        owed -= counted;
        if (produced == 3) {
            p += 4;
            continue;
        }
        if (rules == SixBitRules::bufferBase64 && owed == 0) w = w - counted + static_cast<std::size_t>(produced);
        return {w, p, SixBitStop::ended};
    }
    return {w, p, SixBitStop::none};
}

constexpr std::uint8_t kUntouched = 0xA5;

struct Decoded {
    SixBitLineResult result;
    std::vector<std::uint8_t> out;
};

// The symbols stand alone in a heap block of their size, so that AddressSanitizer sees
// any read beyond them.
Decoded decodeAt(SimdLevel level, const std::string& symbols, std::size_t count, const DecodeTable& table,
                 SixBitRules rules) {
    const std::unique_ptr<char[]> alone(new char[symbols.size() + (symbols.empty() ? 1 : 0)]);
    std::memcpy(alone.get(), symbols.data(), symbols.size());
    Decoded decoded;
    decoded.out.assign(count + 8, kUntouched);
    decoded.result = decodeSixBitLineAt(level, alone.get(), symbols.size(), count, table, rules, decoded.out.data());
    return decoded;
}

// Checks one input against the reference, then every level against the scalar core.
void expectAgreement(const std::string& symbols, std::size_t count, const DecodeTable& table, SixBitRules rules,
                     const std::string& label) {
    std::vector<std::uint8_t> want(count + 8, kUntouched);
    const SixBitLineResult wantResult = reference(symbols, count, table, rules, want.data());
    const Decoded scalar = decodeAt(SimdLevel::scalar, symbols, count, table, rules);
    const std::string where = label + " on \"" + printable(symbols) + "\" count " + std::to_string(count);
    ASSERT_EQ(scalar.result.stop, wantResult.stop) << where;
    if (wantResult.stop != SixBitStop::failed) {
        ASSERT_EQ(scalar.result.bytes, wantResult.bytes) << where;
        ASSERT_TRUE(std::equal(scalar.out.begin(), scalar.out.begin() + static_cast<std::ptrdiff_t>(wantResult.bytes),
                               want.begin()))
            << where;
    }
    if (!isFileRule(rules)) {
        ASSERT_EQ(scalar.result.consumed, wantResult.consumed) << where;
        ASSERT_EQ(scalar.out, want) << where << ": bytes beyond the result differ";
    }
    for (const SimdLevel level : supportedLevels()) {
        const Decoded got = decodeAt(level, symbols, count, table, rules);
        ASSERT_EQ(got.result.stop, scalar.result.stop) << levelName(level) << " " << where;
        ASSERT_EQ(got.result.bytes, scalar.result.bytes) << levelName(level) << " " << where;
        ASSERT_EQ(got.result.consumed, scalar.result.consumed) << levelName(level) << " " << where;
        if (scalar.result.stop != SixBitStop::failed) {
            ASSERT_EQ(got.out, scalar.out) << levelName(level) << " " << where;
        }
    }
}

std::string base64Of(const std::vector<std::uint8_t>& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
        const unsigned value = static_cast<unsigned>(bytes[i]) << 16 | static_cast<unsigned>(bytes[i + 1]) << 8 |
                               bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) text += alphabet[value >> static_cast<unsigned>(shift) & 63u];
    }
    return text;
}

struct RuleCase {
    const char* name;
    std::string symbols;
    std::size_t count;
    const DecodeTable* table;
    SixBitRules rules;
    SixBitStop wantStop;
    std::string wantBytes;  // for a failed line, ignored
    std::size_t wantConsumed;
};

TEST(SixBitLines, Rules) {
    const RuleCase cases[] = {
        {"base64 whole line", "YWJjZGVm", 6, &base64Table, SixBitRules::fileBase64, SixBitStop::none, "abcdef", 8},
        {"base64 one pad in last group", "YWJjZGU=", 6, &base64Table, SixBitRules::fileBase64, SixBitStop::none,
         "abcde", 8},
        {"base64 two pads in last group", "YWJjZA==", 6, &base64Table, SixBitRules::fileBase64, SixBitStop::none,
         "abcd", 8},
        {"base64 pad before the last group fails", "YW==ZGVm", 6, &base64Table, SixBitRules::fileBase64,
         SixBitStop::failed, "", 0},
        {"base64 empty last group fails", "YWJj====", 6, &base64Table, SixBitRules::fileBase64, SixBitStop::failed,
         "", 4},
        {"uu lost trailing blanks are zero bits", "86)C86", 6, &uuTable, SixBitRules::fileUu, SixBitStop::none,
         std::string("abca") + '\0' + '\0', 8},
        {"uu short group mid line goes on", "86)C86a)86)C", 9, &uuTable, SixBitRules::fileUu, SixBitStop::none,
         std::string("abca") + '\0' + '\0' + "abc", 12},
        {"uu one symbol left fails", "86)C8", 6, &uuTable, SixBitRules::fileUu, SixBitStop::failed, "", 4},
        {"uu count beyond the line fails", "86)C", 6, &uuTable, SixBitRules::fileUu, SixBitStop::failed, "", 4},
        {"buffer uu short group ends the data with zeros", "86)C86", 6, &uuTable, SixBitRules::bufferUu,
         SixBitStop::ended, std::string("abca") + '\0' + '\0', 4},
        {"buffer uu empty group gives counted zeros", "86)C", 5, &uuTable, SixBitRules::bufferUu, SixBitStop::ended,
         std::string("abc") + '\0' + '\0', 4},
        {"buffer uu count not a multiple of three", "86)C86)C", 4, &uuTable, SixBitRules::bufferUu,
         SixBitStop::none, "abca", 8},
        {"buffer base64 pad shortens the last group", "YWJjZA==", 6, &base64Table, SixBitRules::bufferBase64,
         SixBitStop::ended, "abcd", 4},
        {"buffer base64 pad mid line counts zeros", "YQ==YWJj", 6, &base64Table, SixBitRules::bufferBase64,
         SixBitStop::ended, std::string("a") + '\0' + '\0', 0},
        {"buffer base64 high byte after a pad stops the group", "YWJjYQ=\xC3", 6, &base64Table,
         SixBitRules::bufferBase64, SixBitStop::ended, "abc", 4},
        {"zero count reads nothing", "\xFF", 0, &base64Table, SixBitRules::bufferBase64, SixBitStop::none, "", 0},
    };
    for (const RuleCase& c : cases) {
        const Decoded got = decodeAt(SimdLevel::scalar, c.symbols, c.count, *c.table, c.rules);
        EXPECT_EQ(got.result.stop, c.wantStop) << c.name;
        if (c.wantStop == SixBitStop::failed) continue;
        const std::string bytes(got.out.begin(), got.out.begin() + static_cast<std::ptrdiff_t>(got.result.bytes));
        EXPECT_EQ(bytes, c.wantBytes) << c.name << ": got \"" << printable(bytes) << "\", want \""
                                      << printable(c.wantBytes) << "\"";
        if (!isFileRule(c.rules)) {
            EXPECT_EQ(got.result.consumed, c.wantConsumed) << c.name;
        }
    }
}

// A last group written without its padding counts; what then decodes from it is the
// Base64 rules' business.
TEST(SixBitLines, Base64LineCountTakesAnUnpaddedLastGroup) {
    struct Case {
        const char* name;
        std::string symbols;
        std::size_t wantCount;
        std::string wantBytes;  // under both Base64 rules
    };
    const Case cases[] = {
        {"empty", "", 0, ""},
        {"one symbol is no byte", "Y", 0, ""},
        {"two symbols", "YQ", 3, "a"},
        {"three symbols", "YWI", 3, "ab"},
        {"whole groups", "YWJjZGVm", 6, "abcdef"},
        {"two symbols after whole groups", "YWJjZA", 6, "abcd"},
        {"three symbols after whole groups", "YWJjZGU", 6, "abcde"},
        {"five symbols", "YWJjZ", 3, "abc"},
        {"padded", "YWJjZA==", 6, "abcd"},
        {"one pad of two", "YWJjZA=", 6, "abcd"},
        {"lone pad pair left", "YWJj==", 3, "abc"},
        {"symbol and pad left", "YWJjZ=", 3, "abc"},
        {"blanks left", "YWJj  ", 3, "abc"},
        {"blank and symbol left", "YWJj Z", 3, "abc"},
        {"symbol and blank left", "YWJjZ ", 3, "abc"},
        {"high byte left", "YWJjZ\xC3", 3, "abc"},
    };
    for (const Case& c : cases) {
        const std::size_t count = base64LineCount(c.symbols.data(), c.symbols.size(), base64Table);
        EXPECT_EQ(count, c.wantCount) << c.name << ": got " << count << ", want " << c.wantCount;
        for (const SixBitRules rules : {SixBitRules::fileBase64, SixBitRules::bufferBase64}) {
            const Decoded got = decodeAt(SimdLevel::scalar, c.symbols, count, base64Table, rules);
            ASSERT_NE(got.result.stop, SixBitStop::failed) << c.name;
            const std::string bytes(got.out.begin(), got.out.begin() + static_cast<std::ptrdiff_t>(got.result.bytes));
            EXPECT_EQ(bytes, c.wantBytes) << c.name << ": got \"" << printable(bytes) << "\", want \""
                                          << printable(c.wantBytes) << "\"";
        }
    }
}

TEST(SixBitLines, ExhaustiveShortLinesMatchTheReference) {
    const char symbols[] = {'A', '/', '+', '9', '=', '`', ' ', 'a', '-', '\n', '\0', '\x80', '\xFF', 'M'};
    constexpr std::size_t kSymbols = sizeof symbols;
    for (std::size_t length = 0; length <= 4; ++length) {
        std::size_t combinations = 1;
        for (std::size_t i = 0; i < length; ++i) combinations *= kSymbols;
        for (std::size_t n = 0; n < combinations; ++n) {
            std::string line;
            for (std::size_t i = 0, rest = n; i < length; ++i, rest /= kSymbols) line += symbols[rest % kSymbols];
            for (const DecodeTable* table : kAllTables) {
                for (const SixBitRules rules : kAllRules) {
                    for (std::size_t count = 0; count <= 7; ++count) {
                        if (isBase64Rule(rules) && count % 3 != 0) continue;
                        expectAgreement(line, count, *table, rules, "exhaustive");
                        if (HasFatalFailure()) return;
                    }
                }
            }
        }
    }
}

TEST(SixBitLines, EveryLevelMatchesScalarOnEveryLengthUpTo300) {
    std::mt19937 random(7u);
    std::vector<std::uint8_t> bytes(228);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    const std::string clean = base64Of(bytes);  // 304 symbols
    for (std::size_t length = 0; length <= 300; ++length) {
        const std::string line = clean.substr(0, length);
        for (const SixBitRules rules : kAllRules) {
            expectAgreement(line, length / 4 * 3, base64Table, rules, "clean length " + std::to_string(length));
            if (HasFatalFailure()) return;
            // A count beyond the line, as a UU length character may claim.
            if (!isBase64Rule(rules)) expectAgreement(line, length / 4 * 3 + 5, base64Table, rules, "long count");
            if (HasFatalFailure()) return;
        }
    }
}

TEST(SixBitLines, EveryByteAtEveryPositionMatchesScalar) {
    std::mt19937 random(11u);
    std::vector<std::uint8_t> bytes(72);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    const std::string clean = base64Of(bytes);  // 96 symbols: several blocks of every kernel
    for (std::size_t position = 0; position < clean.size(); ++position) {
        for (int code = 0; code < 256; ++code) {
            std::string line = clean;
            line[position] = static_cast<char>(code);
            for (const SixBitRules rules : kAllRules) {
                expectAgreement(line, line.size() / 4 * 3, base64Table, rules, "byte " + std::to_string(code));
                if (HasFatalFailure()) return;
            }
        }
    }
}

TEST(SixBitLines, RandomLinesMatchScalarOnEveryTable) {
    std::mt19937 random(20261207u);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string intruders = std::string("= `-.!\n\r\t_~\x7F\x80\xC3\xFF") + '\0';
    for (int round = 0; round < 3000; ++round) {
        const std::size_t length = random() % 1100;
        const std::size_t intruderOdds = 1u + random() % 400;  // one symbol in this many
        std::string line(length, 'A');
        for (char& c : line)
            c = random() % intruderOdds == 0 ? intruders[random() % intruders.size()]
                                            : alphabet[random() % alphabet.size()];
        const DecodeTable& table = *kAllTables[random() % 3];
        const SixBitRules rules = kAllRules[random() % 4];
        std::size_t count = length / 4 * 3;
        if (!isBase64Rule(rules)) count = random() % (count + 8);
        expectAgreement(line, count, table, rules, "random round " + std::to_string(round));
        if (HasFatalFailure()) return;
    }
}

TEST(SixBitLines, ActiveLevelIsSupported) {
    EXPECT_LE(activeSimdLevel(), supportedSimdLevel())
        << "got " << levelName(activeSimdLevel()) << ", want at most " << levelName(supportedSimdLevel());
}

}  // namespace
}  // namespace kodra

namespace kodra {
namespace {

// The clean-group kernels stop at the first group holding any byte outside the alphabet
// (a line end, padding, a code of 128 or more) and agree with the scalar loop on the groups
// before it, for every table that has kernels and one that has none.
TEST(CleanGroups, EveryLevelMatchesScalarOnEveryLengthAndStop) {
    struct Table {
        const char* name;
        const DecodeTable* table;
    };
    const Table tables[] = {{"base64", &base64Table}, {"uu", &uuTable}, {"xx", &xxTable}};
    const char foreign[] = {'\r', '\n', '=', '~', static_cast<char>(0x80), static_cast<char>(0xE0), '\0'};
    std::mt19937 random(23u);
    for (const Table& t : tables) {
        std::string alphabet;
        for (int code = 0; code < 128; ++code)
            if ((*t.table)[static_cast<std::size_t>(code)] != kNotInAlphabet) alphabet.push_back(static_cast<char>(code));
        std::string clean(300, ' ');
        for (char& c : clean) c = alphabet[random() % alphabet.size()];
        for (std::size_t length = 0; length <= 300; ++length) {
            std::string line = clean.substr(0, length);
            if (length > 0) line[random() % length] = foreign[random() % sizeof foreign];
            const std::size_t groups = length / 4;
            std::vector<std::uint8_t> want(3 * groups + 1), got(3 * groups + 1);
            const std::size_t wantDone = decodeCleanGroupsAt(SimdLevel::scalar, line.data(), groups, *t.table, want.data());
            for (const SimdLevel level : supportedLevels()) {
                const std::size_t done = decodeCleanGroupsAt(level, line.data(), groups, *t.table, got.data());
                ASSERT_EQ(done, wantDone) << t.name << " " << levelName(level) << " length " << length
                                          << ": got " << done << " groups, want " << wantDone;
                ASSERT_TRUE(std::equal(want.begin(), want.begin() + static_cast<std::ptrdiff_t>(3 * done), got.begin()))
                    << t.name << " " << levelName(level) << " length " << length << ": bytes differ";
            }
        }
    }
}

}  // namespace
}  // namespace kodra
