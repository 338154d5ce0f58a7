// The BinHex 4.0 file encoder: the stream it writes, and what the decoder reads back.
#include "support/portable.h"
#include "binhex/binhex.h"
#include "binhex/binhex_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra {
namespace {

using test::Bytes;

struct Encoded {
    int result = 0;
    std::string text;
};

Encoded encode(const char* name, const Bytes& source, std::uint64_t length) {
    test::FilePtr input = test::streamWith(source);
    test::FilePtr output(kodra::testing::temporaryStream());
    Encoded encoded;
    encoded.result = encodeBinHexFile(name, length, input.get(), output.get());
    encoded.text = test::contentsOf(output.get());
    return encoded;
}

Encoded encode(const char* name, const Bytes& source) { return encode(name, source, source.size()); }

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

TEST(BinHexEncode, EmptySourceFitsOnTheFirstLine) {
    const Encoded got = encode("a", {});
    ASSERT_EQ(got.result, 1);
    const std::vector<std::string> lines = linesOf(got.text);
    ASSERT_EQ(lines.size(), 2u) << got.text;
    EXPECT_EQ(lines[0], "(This file must be converted with BinHex 4.0)");
    EXPECT_EQ(lines[1].front(), ':');
    EXPECT_EQ(lines[1].back(), ':');
    EXPECT_EQ(got.text.substr(got.text.size() - 3), ":\r\n");
    Bytes want = test::withCrc(test::headerRecord("a", "IBM?", "KDRA", 0));
    want.insert(want.end(), {0, 0, 0, 0});  // data fork CRC, resource fork CRC
    EXPECT_EQ(test::expandRuns(test::codedBytesOf(got.text)), want);
}

// The coded bytes after the header and its CRC.
Bytes codedTail(const Encoded& encoded, std::size_t count) {
    const Bytes coded = test::codedBytesOf(encoded.text);
    return coded.size() < count ? coded : Bytes(coded.end() - static_cast<std::ptrdiff_t>(count), coded.end());
}

TEST(BinHexEncode, CodesRunsOfTheDataFork) {
    struct Case {
        const char* name;
        Bytes source;
        Bytes wantTail;  // the data fork as coded, its CRC and the resource fork's CRC
    };
    const Case cases[] = {
        {"300 x 0x41", Bytes(300, 0x41), {0x41, 0x90, 0xFF, 0x41, 0x90, 0x2D, 0x5A, 0xEE, 0, 0}},
        {"five 0x90", Bytes(5, 0x90), {0x90, 0, 0x90, 0, 0x90, 0, 0x90, 0, 0x90, 0, 0x03, 0x7E, 0, 0}},
        {"four equal bytes", Bytes(4, 0x33), {0x33, 0x33, 0x33, 0x33}},
        {"five equal bytes", Bytes(5, 0x33), {0x33, 0x90, 0x05}},
    };
    for (const Case& c : cases) {
        const Encoded got = encode("x", c.source);
        ASSERT_EQ(got.result, 1) << c.name;
        const Bytes checked = test::withCrc(c.source);
        Bytes tail = c.wantTail;
        if (tail.size() < 10) {  // add the CRCs the test computes itself
            tail.insert(tail.end(), checked.end() - 2, checked.end());
            tail.insert(tail.end(), {0, 0});
        }
        EXPECT_EQ(codedTail(got, tail.size()), tail) << c.name;
    }
}

// Checks the line layout of one stream; true when the closing ":" stands alone.
bool checkLines(const std::string& text, const std::string& label) {
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << label << ": bare LF";
    const std::vector<std::string> lines = linesOf(text);
    if (lines.size() < 2) {
        ADD_FAILURE() << label << ": got " << lines.size() << " lines";
        return false;
    }
    EXPECT_EQ(lines[1].front(), ':') << label;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), 64u) << label << ", line " << i;
        EXPECT_EQ(lines[i].find(':', i == 1 ? 1 : 0), std::string::npos) << label << ", line " << i;
    }
    // The closing ":" follows the last character, or opens a line of its own.
    const std::string& last = lines.back();
    EXPECT_LE(last.size(), 64u) << label;
    EXPECT_EQ(last.find(':', lines.size() == 2 ? 1 : 0), last.size() - 1) << label;
    EXPECT_EQ(text.substr(text.size() - 3), ":\r\n") << label;
    return last == ":";
}

TEST(BinHexEncode, LinesAreSixtyFourCharacters) {
    bool colonAlone = false;
    for (std::size_t size = 0; size < 200; ++size) {
        Bytes source(size);
        for (std::size_t i = 0; i < size; ++i) source[i] = static_cast<std::uint8_t>(i % 7 + 1);
        const Encoded got = encode("lines.bin", source);
        ASSERT_EQ(got.result, 1);
        colonAlone |= checkLines(got.text, "size " + std::to_string(size));
    }
    EXPECT_TRUE(colonAlone) << "no size put the closing colon on a line of its own";
    for (std::size_t size : {1000u, 5000u}) {
        const Encoded got = encode("lines.bin", test::randomBytes(size, 21));
        checkLines(got.text, "random size " + std::to_string(size));
    }
}

TEST(BinHexEncode, RoundTripsThroughTheDecoder) {
    struct Case {
        const char* name;
        Bytes source;
    };
    const Case cases[] = {
        {"empty", {}},
        {"one byte", {0x90}},
        {"run-heavy 10000", test::runHeavyBytes(10000, 1)},
        {"run-heavy 70000", test::runHeavyBytes(70000, 2)},
        {"random 2", test::randomBytes(2, 3)},
        {"random 3", test::randomBytes(3, 4)},
        {"random 64", test::randomBytes(64, 5)},
        {"random 4000", test::randomBytes(4000, 6)},
        {"random 100003", test::randomBytes(100003, 7)},
        {"all 0x90 and runs across the CRC", Bytes(600, 0x90)},
        {"zeros run into the CRCs", Bytes(300, 0)},
    };
    for (const Case& c : cases) {
        const Encoded encoded = encode("round.trip", c.source);
        ASSERT_EQ(encoded.result, 1) << c.name;
        const test::DecodeOutcome got = test::decodeStream(encoded.text);
        EXPECT_EQ(got.forks, 1) << c.name;
        EXPECT_EQ(got.name, "round.trip") << c.name;
        EXPECT_EQ(got.data, c.source) << c.name;
        EXPECT_EQ(got.type, "IBM?") << c.name;
        EXPECT_EQ(got.creator, "KDRA") << c.name;
    }
}

TEST(BinHexEncode, LongNameIsShortened) {
    const std::string name = std::string(80, 'q') + ".txt";
    const test::DecodeOutcome got = test::decodeStream(encode(name.c_str(), {1, 2, 3}).text);
    EXPECT_EQ(got.name, std::string(59, 'q') + ".txt");
    EXPECT_EQ(got.data, (Bytes{1, 2, 3}));
}

TEST(BinHexEncode, NullNameIsEmpty) {
    const test::DecodeOutcome got = test::decodeStream(encode(nullptr, {4}).text);
    EXPECT_EQ(got.forks, 1);
    EXPECT_EQ(got.name, "");
}

TEST(BinHexEncode, RefusesLengthsTheHeaderCannotHold) {
    for (const std::uint64_t length : {std::uint64_t{1} << 31, std::uint64_t{1} << 32, ~std::uint64_t{0}}) {
        const Encoded got = encode("huge", {1, 2, 3}, length);
        EXPECT_EQ(got.result, 0) << "length " << length;
        EXPECT_EQ(got.text, "") << "length " << length << ": want nothing written";
    }
}

TEST(BinHexEncode, EncodesExactlyTheAnnouncedLength) {
    const Bytes source = test::randomBytes(100, 8);
    struct Case {
        const char* name;
        std::uint64_t length;
        int wantResult;
        Bytes wantData;
    };
    Bytes padded = source;
    padded.resize(160, 0);
    const Case cases[] = {
        {"source grew: cut at the length", 60, 1, Bytes(source.begin(), source.begin() + 60)},
        {"source shrank: padded and reported", 160, 0, padded},
    };
    for (const Case& c : cases) {
        const Encoded encoded = encode("changed", source, c.length);
        EXPECT_EQ(encoded.result, c.wantResult) << c.name;
        const test::DecodeOutcome got = test::decodeStream(encoded.text);
        EXPECT_EQ(got.forks, 1) << c.name << ": the stream stays whole";
        EXPECT_EQ(got.data, c.wantData) << c.name;
    }
}

TEST(BinHexEncode, WriteErrorIsReported) {
    test::TempFolder folder;
    test::writeFile(folder.path() / "ro", {});
    test::FilePtr readOnly(std::fopen((folder.path() / "ro").string().c_str(), "rb"));
    test::FilePtr input = test::streamWith(test::randomBytes(10, 1));
    EXPECT_EQ(encodeBinHexFile("w", 10, input.get(), readOnly.get()), 0);
}

}  // namespace
}  // namespace kodra
