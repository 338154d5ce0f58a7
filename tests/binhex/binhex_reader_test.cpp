// The BinHex reader over line sources: the stream decoders' cases at every feed, and the
// reader against those decoders on the same inputs, whole and damaged.
#include "support/portable.h"
#include "binhex/binhex_reader_test_support.h"
#include "binhex/hexbin_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>

namespace kodra {
namespace {

using test::Bytes;
using test::HexBinForm;
using test::HexBinSection;

constexpr char kBanner[] = "(This file must be converted with BinHex 4.0)";

std::string sectionOfCoded(const Bytes& coded) { return test::binHexSection(test::sixBitText(coded)); }

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(BinHexReaderDetect, FindsTheStartLine) {
    struct Case {
        const char* name;
        const char* line;
        std::string rest;
        BinHexForm want;
        std::string wantRest;  // what the input still holds afterwards
    };
    const Case cases[] = {
        {"colon on the next line", kBanner, ":abc\r\n", BinHexForm::binHex40, "abc\r\n"},
        {"blank and text lines between", kBanner, "\r\nsome text\r\n\r\n:abc", BinHexForm::binHex40, "abc"},
        {"LF line ends", kBanner, "\nx\n:abc", BinHexForm::binHex40, "abc"},
        {"colon inside a line is no start", kBanner, "text : more\r\n:x", BinHexForm::binHex40, "x"},
        {"colon ends its line", kBanner, ":\r\nnext\r\n", BinHexForm::binHex40, "\r\nnext\r\n"},
        {"bare CR opens a line", kBanner, "text\r:x\r\n", BinHexForm::binHex40, "x\r\n"},
        {"only colons inside lines", kBanner, "text : more\r\n  :x\r\n", BinHexForm::endedEarly, ""},
        {"hash line is the older format", kBanner, "\r\n#TEXTMACA$0000\r\n", BinHexForm::hexBin,
         "#TEXTMACA$0000\r\n"},
        {"hash after a bare CR", kBanner, "a\r#TEXT\n", BinHexForm::hexBin, "#TEXT\n"},
        {"hash inside a line is no start", kBanner, "a#b\r\n", BinHexForm::endedEarly, ""},
        {"input ends", kBanner, "", BinHexForm::endedEarly, ""},
        {"other line", "Hello", ":abc", BinHexForm::none, ":abc"},
        {"opening is case-sensitive", "(this file must be converted", ":abc", BinHexForm::none, ":abc"},
        {"opening needs all ten characters", "(This fil", ":abc", BinHexForm::none, ":abc"},
        {"banner after blanks", "   (This file must be converted with BinHex 4.0)", ":abc\r\n", BinHexForm::binHex40,
         "abc\r\n"},
        {"banner after a tab", "\t(This file must be converted with BinHex 4.0)", ":abc", BinHexForm::binHex40, "abc"},
        {"banner after blanks and tabs", " \t \t(This file", "\r\n#TEXT\r\n", BinHexForm::hexBin, "#TEXT\r\n"},
        {"only blanks", " \t ", ":abc", BinHexForm::none, ":abc"},
        {"quoted banner", "> (This file must be converted with BinHex 4.0)", ":abc", BinHexForm::none, ":abc"},
        {"text before the banner", "see (This file must be converted with BinHex 4.0)", ":abc", BinHexForm::none,
         ":abc"},
        {"other blank before the banner", "\v(This file must be converted with BinHex 4.0)", ":abc", BinHexForm::none,
         ":abc"},
    };
    for (const Case& c : cases) {
        for (const test::Feed& feed : test::allFeeds()) {
            test::FedSource fed(c.rest, feed);
            BinHexReader reader;
            EXPECT_EQ(reader.detect(c.line, fed.source()), c.want) << c.name << ", " << feed.name;
            const std::string rest = c.rest.substr(static_cast<std::size_t>(fed.source().position()));
            EXPECT_EQ(rest, c.wantRest) << c.name << ", " << feed.name << ": got rest \"" << rest << "\"";
        }
    }
}

TEST(BinHexReaderDecode, SevenCharacterNameAndTenBytes) {
    const Bytes data = {0, 1, 2, 0x90, 4, 5, 6, 7, 8, 9};
    std::string stream = test::plainBinHexSection("seven77", data);
    stream.insert(stream.size() - 3, "garbage!!");
    const test::DecodeOutcome got = test::readerDecode(stream);
    EXPECT_EQ(got.detected, 1);
    EXPECT_EQ(got.header, 1);
    EXPECT_EQ(got.forks, 1);
    EXPECT_EQ(got.name, "seven77");
    EXPECT_EQ(got.data, data);
    const auto records = test::readerDrive(stream, test::allFeeds()[0], true);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].type, "TEXT");
    EXPECT_EQ(records[0].creator, "ttxt");
}

TEST(BinHexReaderDecode, RunsInTheDataFork) {
    struct Case {
        const char* name;
        Bytes codedFork;
        Bytes data;
    };
    const Case cases[] = {
        {"run of five", {0x41, 0x90, 0x05}, Bytes(5, 0x41)},
        {"literal marker", {0x90, 0x00}, {0x90}},
        {"run of 255 and one of 45", {0x41, 0x90, 0xFF, 0x41, 0x90, 0x2D}, Bytes(300, 0x41)},
        {"runs of one and two", {0x41, 0x90, 0x01, 0x42, 0x90, 0x02}, {0x41, 0x42, 0x42}},
    };
    for (const Case& c : cases) {
        const Bytes header =
            test::withCrc(test::headerRecord("r", "TEXT", "ttxt", static_cast<std::uint32_t>(c.data.size())));
        const Bytes checked = test::withCrc(c.data);
        const Bytes crc(checked.end() - 2, checked.end());
        const test::DecodeOutcome got = test::readerDecode(
            sectionOfCoded(concat({test::escapeMarkers(header), c.codedFork, test::escapeMarkers(crc)})));
        EXPECT_EQ(got.forks, 1) << c.name;
        EXPECT_EQ(got.data, c.data) << c.name;
    }
}

TEST(BinHexReaderDecode, RejectedHeaderLeavesTheNameAlone) {
    const Bytes record = test::headerRecord("secret.txt", "TEXT", "ttxt", 3);
    for (int bit = 0; bit < 16; bit += 5) {
        Bytes stream = test::withCrc(record);
        stream[stream.size() - 2 + static_cast<std::size_t>(bit / 8)] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        stream.insert(stream.end(), {1, 2, 3, 0, 0});
        const test::DecodeOutcome got = test::readerDecode(sectionOfCoded(test::escapeMarkers(stream)));
        EXPECT_EQ(got.detected, 1);
        EXPECT_EQ(got.header, 0) << "CRC bit " << bit << " flipped";
        EXPECT_EQ(got.name, "(unchanged)") << "CRC bit " << bit << " flipped";
    }
}

TEST(BinHexReaderDecode, NamesOfEveryLength) {
    for (const std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{255}}) {
        const std::string name(length, 'n');
        const test::DecodeOutcome got = test::readerDecode(test::plainBinHexSection(name, {1, 2, 3}));
        EXPECT_EQ(got.header, 1) << length;
        EXPECT_EQ(got.name, name) << length;
        EXPECT_EQ(got.forks, 1) << length;
        EXPECT_EQ(got.data, (Bytes{1, 2, 3})) << length;
    }
}

TEST(BinHexReaderDecode, SectionsAreIndependentAfterARunEndedEarly) {
    const Bytes first = concat({test::escapeMarkers(test::withCrc(test::headerRecord("one", "TEXT", "ttxt", 5))),
                                {0x41, 0x90, 0x0A, 0x12, 0x34}});
    const Bytes secondPlain = test::withCrc(test::headerRecord("", "TEXT", "ttxt", 2));
    Bytes second = {0x90, 0x03};
    second.insert(second.end(), secondPlain.begin() + 2, secondPlain.end());
    const Bytes secondData = test::withCrc({7, 8});
    second.insert(second.end(), secondData.begin(), secondData.end());
    const std::string text = sectionOfCoded(first) + "\r\n" + sectionOfCoded(second);
    for (const test::Feed& feed : test::allFeeds()) {
        const auto got = test::readerDrive(text, feed);
        ASSERT_EQ(got.size(), 2u) << feed.name;
        EXPECT_EQ(got[0].data, Bytes(5, 0x41)) << feed.name;
        EXPECT_EQ(got[1].header, 1) << feed.name;
        EXPECT_EQ(got[1].name, "") << feed.name;
        EXPECT_EQ(got[1].data, (Bytes{7, 8})) << feed.name;
        EXPECT_EQ(got[1].forks, 1) << feed.name;
    }
}

TEST(BinHexReaderDecode, RunNeverWritesPastTheDataLength) {
    const Bytes header = test::escapeMarkers(test::withCrc(test::headerRecord("r", "TEXT", "ttxt", 3)));
    const test::DecodeOutcome got = test::readerDecode(sectionOfCoded(concat({header, {0x41, 0x90, 0xFF}})));
    EXPECT_EQ(got.data, Bytes(3, 0x41));
    EXPECT_EQ(got.forks, 0) << "the CRC comes from the run's copies and cannot match";
}

TEST(BinHexReaderDecode, TruncatedStreamsFail) {
    const Bytes data = test::randomBytes(40, 3);
    const std::string full = test::plainBinHexSection("cut.bin", data);
    const std::size_t start = full.find("\n:") + 2;
    const std::size_t end = full.rfind(':');
    const std::size_t codedBeforeResourceCrc = 1 + 7 + 19 + 2 + 40 + 2;
    const std::size_t charactersNeeded = (codedBeforeResourceCrc * 8 + 5) / 6;
    for (const char* stop : {"", ":", "~"}) {
        std::size_t characters = 0;
        for (std::size_t cut = start; cut < end; ++cut) {
            if (full[cut] == '\r' || full[cut] == '\n') continue;
            const test::DecodeOutcome got = test::readerDecode(full.substr(0, cut) + stop);
            if (characters < charactersNeeded) {
                EXPECT_EQ(got.forks, 0) << "cut after " << characters << " characters, stop \"" << stop << "\"";
                EXPECT_LE(got.data.size(), data.size());
            }
            ++characters;
        }
    }
}

TEST(BinHexReaderDecode, CorruptDataFails) {
    const Bytes data = test::randomBytes(30, 5);
    const std::string stream = test::plainBinHexSection("bad.bin", data);
    const std::size_t at = stream.find("\n:") + 2 + 45;
    std::string flipped = stream;
    flipped[at] = flipped[at] == 'A' ? 'B' : 'A';
    std::string highCharacter = stream;
    highCharacter[at] = static_cast<char>(0xE9);
    std::string early = stream;
    early[at] = ':';
    std::string nul = stream;
    nul[at] = '\0';
    const std::pair<const char*, std::string> cases[] = {
        {"changed character", flipped},
        {"character of code 233", highCharacter},
        {"early colon", early},
        {"NUL byte", nul},
    };
    for (const auto& [name, text] : cases) {
        const test::DecodeOutcome got = test::readerDecode(text);
        EXPECT_EQ(got.header, 1) << name;
        EXPECT_EQ(got.forks, 0) << name;
    }
}

TEST(BinHexReaderDecode, LengthWithTopBitSetWritesNothing) {
    Bytes stream = test::withCrc(test::headerRecord("big", "TEXT", "ttxt", 0x80000001u));
    stream.insert(stream.end(), {1, 2, 3, 4, 5});
    const test::DecodeOutcome got = test::readerDecode(sectionOfCoded(test::escapeMarkers(stream)));
    EXPECT_EQ(got.header, 1);
    EXPECT_EQ(got.forks, 0);
    EXPECT_TRUE(got.data.empty());
}

// Detects and reads the header of the section opening text; the input is left after it.
void openSection(BinHexReader& reader, LineSource& input, BinHexForm form) {
    SourceLine line;
    ASSERT_TRUE(input.next(line));
    ASSERT_EQ(reader.detect(line.text, input), form);
    std::string name;
    ASSERT_TRUE(form == BinHexForm::binHex40 ? reader.readHeader(input, name) : reader.readHexBinHeader(input, name));
}

TEST(BinHexReaderDecode, VerifiesWithoutWriting) {
    const std::string section = test::plainBinHexSection("v.bin", test::randomBytes(500, 9));
    std::string corrupt = section;
    corrupt[corrupt.size() / 2] = corrupt[corrupt.size() / 2] == '!' ? '"' : '!';
    const std::string older = test::hexBinText({HexBinForm::compressed, test::randomBytes(50, 1), {5}});
    struct Case {
        const char* name;
        std::string text;
        BinHexForm form;
        bool want;
    };
    const Case cases[] = {
        {"4.0", section, BinHexForm::binHex40, true},
        {"4.0, corrupt", corrupt, BinHexForm::binHex40, false},
        {"older format", older, BinHexForm::hexBin, true},
    };
    for (const Case& c : cases) {
        const std::string text = c.text + "after\r\n";
        LineSource input(text.data(), text.size());
        BinHexReader reader;
        openSection(reader, input, c.form);
        EXPECT_EQ(reader.decodeForks(input, nullptr), c.want) << c.name;
        if (c.want) {
            const std::string rest = text.substr(static_cast<std::size_t>(input.position()));
            EXPECT_EQ(rest.substr(rest.size() - 7), "after\r\n") << c.name << ": got rest " << rest;
        }
        EXPECT_FALSE(reader.decodeForks(input, nullptr)) << c.name << ": forks without a header";
    }
    const std::string text = section;
    LineSource input(text.data(), text.size());
    EXPECT_FALSE(BinHexReader().decodeForks(input, nullptr)) << "a new reader has no header";
}

TEST(BinHexReaderDecode, WriteErrorIsReported) {
    const std::string section = test::plainBinHexSection("w.bin", test::randomBytes(100, 2));
    const std::string older = test::hexBinText({HexBinForm::plain, test::randomBytes(100, 3), {5}});
    for (const auto& [text, form] : {std::pair{section, BinHexForm::binHex40}, std::pair{older, BinHexForm::hexBin}}) {
        LineSource input(text.data(), text.size());
        BinHexReader reader;
        openSection(reader, input, form);
        test::RefusingSink output;
        EXPECT_FALSE(reader.decodeForks(input, &output)) << (form == BinHexForm::hexBin ? "older format" : "4.0");
    }
}

std::vector<std::pair<std::string, std::string>> hexBinCases() {
    const Bytes data = test::randomBytes(100, 12);
    const Bytes resource = test::randomBytes(7, 13);
    std::vector<std::pair<std::string, std::string>> cases;
    for (const HexBinForm form : {HexBinForm::plain, HexBinForm::compressed}) {
        const std::string prefix = form == HexBinForm::plain ? "plain: " : "compressed: ";
        const HexBinSection good{form, data, resource};
        HexBinSection bad = good;
        bad.checksumDelta = 1;
        HexBinSection lf = good;
        lf.lineEnd = "\n";
        HexBinSection noResource{form, data, {}};
        noResource.withResourceFork = false;
        const std::string goodText = test::hexBinText(good);
        const std::string checksumLine = form == HexBinForm::plain ? "***CHECKSUM:" : "***CRC:";
        cases.push_back({prefix + "good", goodText});
        cases.push_back({prefix + "bad checksum", test::hexBinText(bad)});
        cases.push_back({prefix + "LF line ends", test::hexBinText(lf)});
        cases.push_back({prefix + "empty resource fork", test::hexBinText({form, data, {}})});
        cases.push_back({prefix + "empty data fork", test::hexBinText({form, {}, resource})});
        cases.push_back({prefix + "no resource fork", test::hexBinText(noResource)});
        cases.push_back({prefix + "one byte", test::hexBinText({form, {0x90}, {1}})});
        cases.push_back({prefix + "no checksum line", goodText.substr(0, goodText.find(checksumLine))});
    }
    const std::string plain = test::hexBinText({HexBinForm::plain, {0x12, 0xAB}, {1}});
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = plain;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    cases.push_back({"plain: lower-case digits", replaced("12AB", "12ab")});
    cases.push_back({"plain: odd digit count", replaced("12AB", "12A")});
    cases.push_back({"plain: blank inside", replaced("12AB", "12 AB")});
    cases.push_back({"plain: header line of another shape", replaced("#TEXTMACA$0000", "#x")});
    cases.push_back({"plain: CRs before the line end", replaced("12AB\r\n", "12AB\r\r\n")});
    cases.push_back({"plain: NUL ends a line", replaced("12AB\r\n", std::string("12AB\0zz\r\n", 9))});
    return cases;
}

// The inputs of the stream decoders' tests, each a complete or damaged section.
std::vector<std::pair<std::string, std::string>> knownInputs() {
    std::vector<std::pair<std::string, std::string>> inputs = hexBinCases();
    inputs.push_back({"4.0: ten bytes", test::plainBinHexSection("seven77", {0, 1, 2, 0x90, 4, 5, 6, 7, 8, 9})});
    inputs.push_back({"4.0: random 3000", test::plainBinHexSection("r.bin", test::randomBytes(3000, 21))});
    inputs.push_back({"4.0: empty", test::plainBinHexSection("", {})});
    inputs.push_back({"4.0: long name", test::plainBinHexSection(std::string(255, 'n'), {1, 2, 3})});
    // Run-heavy data, coded with runs by the reference encoder's rules.
    {
        const Bytes data = test::runHeavyBytes(5000, 22);
        RunLengthEncoder encoder;
        Bytes coded;
        const auto sink = [&](std::uint8_t b) { coded.push_back(b); };
        const Bytes header = test::withCrc(test::headerRecord("runs", "TEXT", "ttxt", 5000));
        const Bytes fork = test::withCrc(data);
        for (const Bytes* part : {&header, &fork})
            for (const std::uint8_t b : *part) encoder.push(b, sink);
        for (int i = 0; i < 2; ++i) encoder.push(0, sink);
        encoder.endRun(sink);
        inputs.push_back({"4.0: runs", sectionOfCoded(coded)});
    }
    const Bytes first = concat({test::escapeMarkers(test::withCrc(test::headerRecord("one", "TEXT", "ttxt", 5))),
                                {0x41, 0x90, 0x0A, 0x12, 0x34}});
    inputs.push_back({"4.0: two sections", sectionOfCoded(first) + "text\r\n" +
                                               test::plainBinHexSection("two", {7, 8}) + "\r\n" +
                                               test::hexBinText({HexBinForm::plain, {1, 2}, {3}})});
    inputs.push_back({"4.0: run past the length",
                      sectionOfCoded(concat({test::escapeMarkers(test::withCrc(test::headerRecord("r", "TEXT", "ttxt", 3))),
                                             {0x41, 0x90, 0xFF}}))});
    return inputs;
}

TEST(BinHexReaderDifferential, KnownInputsAtEveryFeed) {
    for (const auto& [name, text] : knownInputs()) {
        ASSERT_TRUE(test::linesFitFixedBuffers(text)) << name;
        const auto want = test::streamDrive(text);
        for (const test::Feed& feed : test::allFeeds()) {
            const auto got = test::readerDrive(text, feed);
            EXPECT_TRUE(got == want) << name << ", " << feed.name << ": got " << test::describe(got) << ", want "
                                     << test::describe(want);
        }
    }
}

TEST(BinHexReaderDifferential, DamagedInputs) {
    std::mt19937 random(20261207u);
    const char kDamage[] = {':', '#', '\r', '\n', ' ', '\0', '!', 'r', '~', '\x90', '\xE9', 'A'};
    const std::vector<test::Feed> feeds = {test::allFeeds()[0], test::allFeeds()[1], test::allFeeds()[5]};
    int compared = 0;
    for (const auto& [name, text] : knownInputs()) {
        for (int trial = 0; trial < 60; ++trial) {
            std::string damaged = text;
            std::string what;
            if (trial % 3 == 0) {
                const std::size_t cut = random() % (text.size() + 1);
                damaged.resize(cut);
                what = "cut at " + std::to_string(cut);
            }
            const int flips = trial % 3 == 0 ? 0 : 1 + trial % 4;
            for (int f = 0; f < flips && !damaged.empty(); ++f) {
                const std::size_t at = random() % damaged.size();
                damaged[at] = random() % 2 ? kDamage[random() % sizeof kDamage] : static_cast<char>(random() & 0xFF);
                what += " byte " + std::to_string(at) + " = " + std::to_string(static_cast<unsigned char>(damaged[at]));
            }
            if (!test::linesFitFixedBuffers(damaged)) continue;
            ++compared;
            const auto want = test::streamDrive(damaged);
            for (const test::Feed& feed : feeds) {
                const auto got = test::readerDrive(damaged, feed);
                EXPECT_TRUE(got == want) << name << ", " << what << ", " << feed.name << ": got " << test::describe(got)
                                         << ", want " << test::describe(want);
            }
        }
    }
    EXPECT_GT(compared, 1000) << "too few damaged inputs fit the stream functions' buffers";
}

TEST(BinHexReaderDecode, OlderFormatLinesOfAnyLength) {
    // Longer lines than the stream functions' 511 bytes decode whole.
    const Bytes data = test::randomBytes(3000, 17);
    for (const HexBinForm form : {HexBinForm::plain, HexBinForm::compressed}) {
        HexBinSection section{form, data, {1}};
        std::string text = test::hexBinText(section);
        if (form == HexBinForm::plain) {
            // One data line of 6000 digits.
            const std::string lines = test::forkLines(form, data, "\r\n");
            std::string joined = lines;
            joined.erase(std::remove(joined.begin(), joined.end(), '\r'), joined.end());
            joined.erase(std::remove(joined.begin(), joined.end(), '\n'), joined.end());
            text.replace(text.find(lines), lines.size(), joined + "\r\n");
        }
        const test::DecodeOutcome got = test::readerDecode(text);
        EXPECT_EQ(got.forks, 1) << (form == HexBinForm::plain ? "plain" : "compressed");
        EXPECT_EQ(got.data, data) << (form == HexBinForm::plain ? "plain" : "compressed");
    }
}

TEST(BinHexReaderDecode, KeepsTypeAndCreatorOfTheOlderFormat) {
    const auto records =
        test::readerDrive(test::hexBinText({HexBinForm::plain, {1, 2}, {3}}), test::allFeeds()[0]);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].forks, 1);
    EXPECT_EQ(records[0].type, "TEXT");
    EXPECT_EQ(records[0].creator, "MACA");
}

TEST(BinHexReaderDecode, HexBinHeaderAtEndOfInput) {
    LineSource input("", 0);
    BinHexReader reader;
    std::string line = "kept";
    EXPECT_FALSE(reader.readHexBinHeader(input, line));
    EXPECT_EQ(line, "kept");
}

TEST(BinHexReaderThreads, TwoReadersDoNotMeet) {
    const Bytes first = test::randomBytes(200000, 51);
    const Bytes second = test::runHeavyBytes(150000, 52);
    const std::string firstText = test::plainBinHexSection("first", first);
    const std::string secondText = test::hexBinText({HexBinForm::compressed, second, {1}});
    int firstGood = 0, secondGood = 0;
    const auto run = [](const std::string& text, const Bytes& want, int& good) {
        for (int round = 0; round < 20; ++round) {
            LineSource input(text.data(), text.size());
            BinHexReader reader;
            SourceLine line;
            std::string name;
            test::CollectingSink output;
            if (!input.next(line)) return;
            const BinHexForm form = reader.detect(line.text, input);
            const bool header =
                form == BinHexForm::binHex40 ? reader.readHeader(input, name) : reader.readHexBinHeader(input, name);
            if (header && reader.decodeForks(input, &output) && output.bytes == want) ++good;
        }
    };
    std::thread one(run, std::cref(firstText), std::cref(first), std::ref(firstGood));
    std::thread two(run, std::cref(secondText), std::cref(second), std::ref(secondGood));
    one.join();
    two.join();
    EXPECT_EQ(firstGood, 20) << "4.0 rounds decoded right";
    EXPECT_EQ(secondGood, 20) << "older-format rounds decoded right";
}

}  // namespace
}  // namespace kodra
