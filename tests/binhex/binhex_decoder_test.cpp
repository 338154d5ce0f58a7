// BinHex 4.0 sections read the way the scanner and the decoding driver read them.
#include "support/portable.h"
#include "binhex/binhex_reader.h"
#include "binhex/binhex_test_support.h"
#include "frame/line_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace kodra {
namespace {

using test::Bytes;

constexpr char kBanner[] = "(This file must be converted with BinHex 4.0)";

// A section from already coded bytes (runs written by hand).
std::string sectionOfCoded(const Bytes& coded) { return test::binHexSection(test::sixBitText(coded)); }

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(BinHexDetect, FindsTheStartLine) {
    struct Case {
        const char* name;
        const char* line;
        std::string rest;
        int want;
        std::string wantRest;  // what the input still holds afterwards
    };
    const Case cases[] = {
        {"colon on the next line", kBanner, ":abc\r\n", 1, "abc\r\n"},
        {"blank and text lines between", kBanner, "\r\nsome text\r\n\r\n:abc", 1, "abc"},
        {"LF line ends", kBanner, "\nx\n:abc", 1, "abc"},
        {"colon inside a line is no start", kBanner, "text : more\r\n:x", 1, "x"},
        {"only colons inside lines", kBanner, "text : more\r\n  :x\r\n", -1, ""},
        {"hash line is the older format", kBanner, "\r\n#TEXTMACA$0000\r\n", 2, "#TEXTMACA$0000\r\n"},
        {"hash inside a line is no start", kBanner, "a#b\r\n", -1, ""},
        {"input ends", kBanner, "", -1, ""},
        {"other line", "Hello", ":abc", 0, ":abc"},
        {"opening is case-sensitive", "(this file must be converted", ":abc", 0, ":abc"},
        {"opening needs all ten characters", "(This fil", ":abc", 0, ":abc"},
    };
    for (const Case& c : cases) {
        LineSource input(c.rest.data(), c.rest.size());
        BinHexReader reader;
        const int got = test::formNumber(reader.detect(c.line, input));
        EXPECT_EQ(got, c.want) << c.name << ": got " << got << ", want " << c.want;
        EXPECT_EQ(test::restOf(input), c.wantRest) << c.name << ": input position";
    }
}

TEST(BinHexDecode, SevenCharacterNameAndTenBytes) {
    const Bytes data = {0, 1, 2, 0x90, 4, 5, 6, 7, 8, 9};
    // Whatever follows the data fork's CRC is not read.
    std::string stream = test::plainBinHexSection("seven77", data);
    stream.insert(stream.size() - 3, "garbage!!");
    const test::DecodeOutcome got = test::decodeStream(stream);
    EXPECT_EQ(got.detected, 1);
    EXPECT_EQ(got.header, 1);
    EXPECT_EQ(got.forks, 1);
    EXPECT_EQ(got.name, "seven77");
    EXPECT_EQ(got.data, data);
    EXPECT_EQ(got.type, "TEXT");
    EXPECT_EQ(got.creator, "ttxt");
}

TEST(BinHexDecode, RunsInTheDataFork) {
    struct Case {
        const char* name;
        Bytes codedFork;  // data fork as coded, CRC appended by the test
        Bytes data;
    };
    const Case cases[] = {
        {"run of five", {0x41, 0x90, 0x05}, Bytes(5, 0x41)},
        {"literal marker", {0x90, 0x00}, {0x90}},
        {"run of 255 and one of 45", {0x41, 0x90, 0xFF, 0x41, 0x90, 0x2D}, Bytes(300, 0x41)},
    };
    for (const Case& c : cases) {
        const Bytes header = test::withCrc(
            test::headerRecord("r", "TEXT", "ttxt", static_cast<std::uint32_t>(c.data.size())));
        const Bytes checked = test::withCrc(c.data);
        const Bytes crc(checked.end() - 2, checked.end());
        const test::DecodeOutcome got = test::decodeStream(
            sectionOfCoded(concat({test::escapeMarkers(header), c.codedFork, test::escapeMarkers(crc)})));
        EXPECT_EQ(got.forks, 1) << c.name;
        EXPECT_EQ(got.data, c.data) << c.name;
    }
}

TEST(BinHexDecode, RejectedHeaderLeavesTheNameAlone) {
    const Bytes record = test::headerRecord("secret.txt", "TEXT", "ttxt", 3);
    for (int bit = 0; bit < 16; bit += 5) {
        Bytes stream = test::withCrc(record);
        stream[stream.size() - 2 + static_cast<std::size_t>(bit / 8)] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        stream.insert(stream.end(), {1, 2, 3, 0, 0});
        const test::DecodeOutcome got = test::decodeStream(sectionOfCoded(test::escapeMarkers(stream)));
        EXPECT_EQ(got.detected, 1);
        EXPECT_EQ(got.header, 0) << "CRC bit " << bit << " flipped";
        EXPECT_EQ(got.name, "(unchanged)") << "CRC bit " << bit << " flipped";
    }
}

TEST(BinHexDecode, LongestNameIsTerminated) {
    const std::string name(255, 'n');
    const test::DecodeOutcome got = test::decodeStream(test::plainBinHexSection(name, {1, 2, 3}));
    EXPECT_EQ(got.header, 1);
    EXPECT_EQ(got.name, name);
    EXPECT_EQ(got.forks, 1);
}

TEST(BinHexDecode, EmptyName) {
    const test::DecodeOutcome got = test::decodeStream(test::plainBinHexSection("", {1}));
    EXPECT_EQ(got.header, 1);
    EXPECT_EQ(got.name, "");
    EXPECT_EQ(got.data, Bytes{1});
}

// Decodes every section of a stream in turn with one reader, as the scanner and driver do.
std::vector<test::DecodeOutcome> decodeAll(const std::string& text) {
    std::vector<test::DecodeOutcome> outcomes;
    LineSource input(text.data(), text.size());
    BinHexReader reader;
    SourceLine line;
    while (input.next(line)) {
        test::DecodeOutcome outcome;
        outcome.detected = test::formNumber(reader.detect(line.text, input));
        if (outcome.detected != 1) continue;
        std::string name;
        outcome.header = reader.readHeader(input, name) ? 1 : 0;
        outcome.name = name;
        if (outcome.header == 1) {
            test::CollectingSink output;
            outcome.forks = reader.decodeForks(input, &output) ? 1 : 0;
            outcome.data = output.bytes;
        }
        outcomes.push_back(outcome);
    }
    return outcomes;
}

TEST(BinHexDecode, SectionsAreIndependentAfterARunEndedEarly) {
    // The first data fork is 5 bytes but its run promises 10; the second section opens
    // with a marker, which must not repeat a byte of the first.
    const Bytes first = concat({test::escapeMarkers(test::withCrc(test::headerRecord("one", "TEXT", "ttxt", 5))),
                                {0x41, 0x90, 0x0A, 0x12, 0x34}});
    const Bytes secondPlain = test::withCrc(test::headerRecord("", "TEXT", "ttxt", 2));
    Bytes second = {0x90, 0x03};  // a run of three zeros: name length, version, none left over
    second.insert(second.end(), secondPlain.begin() + 2, secondPlain.end());
    ASSERT_EQ(secondPlain[0], 0);
    ASSERT_EQ(secondPlain[1], 0);
    const Bytes secondData = test::withCrc({7, 8});
    second.insert(second.end(), secondData.begin(), secondData.end());
    const std::string text = sectionOfCoded(first) + "\r\n" + sectionOfCoded(second);

    const std::vector<test::DecodeOutcome> got = decodeAll(text);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].data, Bytes(5, 0x41));
    EXPECT_EQ(got[1].header, 1) << "second header";
    EXPECT_EQ(got[1].name, "");
    EXPECT_EQ(got[1].data, (Bytes{7, 8}));
    EXPECT_EQ(got[1].forks, 1);
}

TEST(BinHexDecode, RunNeverWritesPastTheDataLength) {
    const Bytes header = test::escapeMarkers(test::withCrc(test::headerRecord("r", "TEXT", "ttxt", 3)));
    const test::DecodeOutcome got = test::decodeStream(sectionOfCoded(concat({header, {0x41, 0x90, 0xFF}})));
    EXPECT_EQ(got.data, Bytes(3, 0x41));
    EXPECT_EQ(got.forks, 0) << "the CRC comes from the run's copies and cannot match";
}

TEST(BinHexDecode, TruncatedStreamsFail) {
    const Bytes data = test::randomBytes(40, 3);
    const std::string full = test::plainBinHexSection("cut.bin", data);
    const std::size_t start = full.find("\n:") + 2;
    const std::size_t end = full.rfind(':');
    // Stop the text anywhere before the data fork's CRC is complete: by the end of the
    // input, by a ":" or by a character outside the alphabet.
    const std::size_t codedBeforeResourceCrc = 1 + 7 + 19 + 2 + 40 + 2;
    const std::size_t charactersNeeded = (codedBeforeResourceCrc * 8 + 5) / 6;
    for (const char* stop : {"", ":", "~"}) {
        std::size_t characters = 0;
        for (std::size_t cut = start; cut < end; ++cut) {
            if (full[cut] == '\r' || full[cut] == '\n') continue;
            const test::DecodeOutcome got = test::decodeStream(full.substr(0, cut) + stop);
            if (characters < charactersNeeded) {
                EXPECT_EQ(got.forks, 0) << "cut after " << characters << " characters, stop \"" << stop << "\"";
                EXPECT_LE(got.data.size(), data.size());
            }
            ++characters;
        }
    }
}

TEST(BinHexDecode, CorruptDataFails) {
    const Bytes data = test::randomBytes(30, 5);
    std::string stream = test::plainBinHexSection("bad.bin", data);
    const std::size_t at = stream.find("\n:") + 2 + 45;
    struct Case {
        const char* name;
        std::string stream;
    };
    std::string flipped = stream;
    flipped[at] = flipped[at] == 'A' ? 'B' : 'A';
    std::string highCharacter = stream;
    highCharacter[at] = static_cast<char>(0xE9);
    std::string early = stream;
    early[at] = ':';
    const Case cases[] = {
        {"changed character", flipped},
        {"character of code 233", highCharacter},
        {"early colon", early},
    };
    for (const Case& c : cases) {
        const test::DecodeOutcome got = test::decodeStream(c.stream);
        EXPECT_EQ(got.header, 1) << c.name;
        EXPECT_EQ(got.forks, 0) << c.name;
    }
}

TEST(BinHexDecode, LengthWithTopBitSetWritesNothing) {
    Bytes stream = test::withCrc(test::headerRecord("big", "TEXT", "ttxt", 0x80000001u));
    stream.insert(stream.end(), {1, 2, 3, 4, 5});
    const test::DecodeOutcome got = test::decodeStream(sectionOfCoded(test::escapeMarkers(stream)));
    EXPECT_EQ(got.header, 1);
    EXPECT_EQ(got.forks, 0);
    EXPECT_TRUE(got.data.empty());
}

TEST(BinHexDecode, VerifiesWithoutWriting) {
    const Bytes data = test::randomBytes(500, 9);
    const std::string section = test::plainBinHexSection("v.bin", data);
    std::string corrupt = section;
    corrupt[corrupt.size() / 2] = corrupt[corrupt.size() / 2] == '!' ? '"' : '!';
    struct Case {
        const char* name;
        const std::string& text;
        std::size_t readSize;  // 0: the input from memory
        int want;
    };
    const Case cases[] = {
        {"no output", section, 0, 1},
        {"no output, file read a byte at a time", section, 1, 1},
        {"no output, corrupt", corrupt, 0, 0},
        {"no output, corrupt, file read a byte at a time", corrupt, 1, 0},
    };
    for (const Case& c : cases) {
        const std::string text = c.text + "after\r\n";
        test::FilePtr file = test::streamWith(text);
        std::unique_ptr<LineSource> input =
            c.readSize == 0 ? std::make_unique<LineSource>(text.data(), text.size())
                            : std::make_unique<LineSource>(file.get(), LineSourceOptions{kNoLineCap, c.readSize});
        SourceLine line;
        ASSERT_TRUE(input->next(line));
        BinHexReader reader;
        ASSERT_EQ(reader.detect(line.text, *input), BinHexForm::binHex40);
        std::string name;
        ASSERT_TRUE(reader.readHeader(*input, name));
        const int got = reader.decodeForks(*input, nullptr) ? 1 : 0;
        EXPECT_EQ(got, c.want) << c.name << ": got " << got << ", want " << c.want;
        if (c.want == 1) {
            const std::string rest = test::restOf(*input);
            ASSERT_GE(rest.size(), 7u) << c.name;
            EXPECT_EQ(rest.substr(rest.size() - 7), "after\r\n") << c.name << ": the input after the section was read";
        }
    }
    LineSource headerless(section.data(), section.size());
    EXPECT_FALSE(BinHexReader().decodeForks(headerless, nullptr)) << "forks without a header";
}

TEST(BinHexDecode, WriteErrorIsReported) {
    const std::string section = test::plainBinHexSection("w.bin", test::randomBytes(100, 2));
    LineSource input(section.data(), section.size());
    SourceLine line;
    ASSERT_TRUE(input.next(line));
    BinHexReader reader;
    ASSERT_EQ(reader.detect(line.text, input), BinHexForm::binHex40);
    std::string name;
    ASSERT_TRUE(reader.readHeader(input, name));
    test::RefusingSink refusing;
    EXPECT_FALSE(reader.decodeForks(input, &refusing));
}

}  // namespace
}  // namespace kodra
