// The pure layers: CRC-16/XMODEM, run-length coding, 6-bit packing and name shortening.
#include "binhex/binhex_header_record.h"
#include "binhex/binhex_six_bit.h"
#include "binhex/crc16_xmodem.h"
#include "binhex/run_length.h"
#include "binhex/binhex_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace kodra {
namespace {

using test::Bytes;

Bytes repeated(std::size_t count, std::uint8_t value) { return Bytes(count, value); }

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(Crc16Xmodem, MatchesCheckValueAndBitwiseReference) {
    EXPECT_EQ(crc16Xmodem("123456789"), 0x31C3) << "check value";
    const Bytes data = test::randomBytes(1000, 7);
    EXPECT_EQ(crc16Xmodem(data.data(), data.size()), test::referenceCrc(data));
    // Continuing a CRC over a split buffer gives the CRC of the whole.
    EXPECT_EQ(crc16Xmodem(data.data() + 400, 600, crc16Xmodem(data.data(), 400)), test::referenceCrc(data));
    EXPECT_EQ(crc16Xmodem(data.data(), 0), 0);
}

Bytes encodeRuns(const Bytes& input) {
    RunLengthEncoder encoder;
    Bytes coded;
    const auto sink = [&](std::uint8_t byte) { coded.push_back(byte); };
    for (const std::uint8_t byte : input) encoder.push(byte, sink);
    encoder.endRun(sink);
    return coded;
}

Bytes decodeRuns(const Bytes& coded, std::size_t limit = 100000) {
    RunLengthDecoder decoder;
    std::size_t at = 0;
    const auto next = [&] { return at < coded.size() ? int{coded[at++]} : -1; };
    Bytes out;
    for (int byte; out.size() < limit && (byte = decoder.next(next)) >= 0;)
        out.push_back(static_cast<std::uint8_t>(byte));
    return out;
}

struct RunCase {
    const char* name;
    Bytes plain;
    Bytes coded;
};

const RunCase kRunCases[] = {
    {"single byte", {0x41}, {0x41}},
    {"four equal bytes stay literal", repeated(4, 0x41), repeated(4, 0x41)},
    {"five equal bytes become a run", repeated(5, 0x41), {0x41, 0x90, 0x05}},
    {"one 0x90", {0x90}, {0x90, 0x00}},
    {"five 0x90 never form a run", repeated(5, 0x90), {0x90, 0, 0x90, 0, 0x90, 0, 0x90, 0, 0x90, 0}},
    {"255 equal bytes fill one run", repeated(255, 7), {7, 0x90, 0xFF}},
    {"300 x 0x41 is a full run and a run of 45", repeated(300, 0x41), {0x41, 0x90, 0xFF, 0x41, 0x90, 0x2D}},
    {"run ended by 0x90", concat({repeated(6, 1), {0x90}}), {1, 0x90, 6, 0x90, 0}},
    {"short run ended by another byte", {1, 1, 1, 2}, {1, 1, 1, 2}},
    {"runs of zeros", repeated(10, 0), {0, 0x90, 10}},
};

TEST(RunLength, EncodesTheKnownExamples) {
    for (const RunCase& c : kRunCases)
        EXPECT_EQ(encodeRuns(c.plain), c.coded) << c.name << ": got the coded bytes on the left, want the right";
}

TEST(RunLength, DecodesTheKnownExamples) {
    for (const RunCase& c : kRunCases)
        EXPECT_EQ(decodeRuns(c.coded), c.plain) << c.name;
}

struct DecodeOnlyCase {
    const char* name;
    Bytes coded;
    Bytes plain;
};

TEST(RunLength, DecodesMarkersNoEncoderWrites) {
    const DecodeOnlyCase cases[] = {
        {"run of one adds nothing", {0x41, 0x90, 0x01, 0x42}, {0x41, 0x42}},
        {"run of two", {0x41, 0x90, 0x02}, {0x41, 0x41}},
        {"run repeats a literal 0x90", {0x90, 0x00, 0x90, 0x03}, {0x90, 0x90, 0x90}},
        {"marker at the end is dropped", {0x41, 0x90}, {0x41}},
        {"runs of one in a row", {0x41, 0x90, 0x01, 0x90, 0x01, 0x42}, {0x41, 0x42}},
    };
    for (const DecodeOnlyCase& c : cases) EXPECT_EQ(decodeRuns(c.coded), c.plain) << c.name;
}

Bytes unpackSixBit(const std::vector<int>& values) {
    SixBitDecoder decoder;
    std::size_t at = 0;
    const auto next = [&] { return at < values.size() ? values[at++] : -1; };
    Bytes out;
    for (int byte; (byte = decoder.next(next)) >= 0;) out.push_back(static_cast<std::uint8_t>(byte));
    return out;
}

TEST(SixBit, DecodesCutGroups) {
    struct Case {
        const char* name;
        std::vector<int> values;
        Bytes bytes;
    };
    // "ABC" packs to 16 20 9 3.
    const Case cases[] = {
        {"full group", {16, 20, 9, 3}, {'A', 'B', 'C'}},
        {"cut after three values", {16, 20, 9}, {'A', 'B'}},
        {"cut after two values", {16, 20}, {'A'}},
        {"cut after one value", {16}, {}},
        {"nothing", {}, {}},
        {"group and a cut one", {16, 20, 9, 3, 16, 20}, {'A', 'B', 'C', 'A'}},
    };
    for (const Case& c : cases) EXPECT_EQ(unpackSixBit(c.values), c.bytes) << c.name;
}

TEST(SixBit, EndIsFinal) {
    SixBitDecoder decoder;
    int calls = 0;
    const auto next = [&] { return ++calls == 3 ? -1 : 5; };
    EXPECT_GE(decoder.next(next), 0);
    EXPECT_EQ(decoder.next(next), -1);
    const int callsAtEnd = calls;
    EXPECT_EQ(decoder.next(next), -1);
    EXPECT_EQ(calls, callsAtEnd) << "got values pulled after the end, want none";
}

TEST(BinHexName, ShortensLongNamesKeepingShortExtensions) {
    const std::string a59(59, 'a');
    const std::string a60(60, 'a');
    const std::string a63(63, 'a');
    const std::string a70(70, 'a');
    struct Case {
        const char* name;
        std::string input;
        std::string want;
    };
    const Case cases[] = {
        {"short name unchanged", "report.txt", "report.txt"},
        {"63 bytes unchanged", a63, a63},
        {"long name keeps .txt", a70 + ".txt", a59 + ".txt"},
        {"long name keeps .gz", a70 + ".gz", a60 + ".gz"},
        {"long extension is cut like the rest", a70 + ".jpeg", a63},
        {"no extension", a70, a63},
        {"dot only at the start", "." + a70, "." + a63.substr(1)},
        {"UTF-8 sequence not split", std::string(62, 'b') + "\xC3\xA9xyz", std::string(62, 'b')},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        char out[kMaxEncodedNameLength] = {};
        const std::size_t n = shortenBinHexName(c.input, out);
        EXPECT_EQ(std::string(out, n), c.want) << c.name;
    }
}

}  // namespace
}  // namespace kodra
