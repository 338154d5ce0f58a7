// The yEnc data encoder: every byte value, escapes at line edges, line lengths, chunking and
// round trips through the decoder.
#include "yenc/yenc_data.h"
#include "yenc/yenc_encoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace kodra {
namespace {

// Encodes data in chunks of chunkSize bytes (0: one call) and finishes, in buffers of
// exactly the documented room.
std::string encodeChunked(const std::string& data, std::size_t chunkSize, std::size_t lineLength = kYencLineLength) {
    YencEncodeState state;
    state.lineLength = lineLength;
    std::string out;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    const std::size_t step = chunkSize == 0 ? (data.empty() ? 1 : data.size()) : chunkSize;
    for (std::size_t at = 0; at < data.size(); at += step) {
        const std::size_t n = data.size() - at < step ? data.size() - at : step;
        std::vector<char> room(yencEncodeRoom(n, lineLength));
        const std::size_t written = yencEncode(state, bytes + at, n, room.data());
        EXPECT_LE(written, room.size()) << "chunk at " << at;
        out.append(room.data(), written);
    }
    char tail[kYencFinishRoom];
    out.append(tail, yencFinish(state, tail));
    return out;
}

std::string encodeWhole(const std::string& data, std::size_t lineLength = kYencLineLength) {
    return encodeChunked(data, 0, lineLength);
}

std::string decode(const std::string& text) {
    YencDecodeState state;
    std::string out(text.size(), '\0');
    out.resize(yencDecode(state, text.data(), text.size(), reinterpret_cast<unsigned char*>(&out[0])));
    return out;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text does not end in CR LF";
    return lines;
}

// The byte that encodes to character c.
char byteFor(char c) { return static_cast<char>(static_cast<std::uint8_t>(c) - 42); }

TEST(YencEncoderTest, EveryByteValueAlone) {
    for (int value = 0; value < 256; ++value) {
        const auto c = static_cast<std::uint8_t>(value + 42);
        const bool escaped = c == 0 || c == '\n' || c == '\r' || c == '=' || c == '\t' || c == ' ' || c == '.';
        const std::string want = escaped ? std::string{'=', static_cast<char>(static_cast<std::uint8_t>(c + 64))}
                                         : std::string(1, static_cast<char>(c));
        EXPECT_EQ(encodeWhole(std::string(1, static_cast<char>(value))), want + "\r\n")
            << "byte " << value << ": got the encoding on the left, want the right";
    }
}

TEST(YencEncoderTest, EveryByteValueInTheMiddleOfALine) {
    for (int value = 0; value < 256; ++value) {
        const auto c = static_cast<std::uint8_t>(value + 42);
        const bool escaped = c == 0 || c == '\n' || c == '\r' || c == '=';
        const std::string want = escaped ? std::string{'=', static_cast<char>(static_cast<std::uint8_t>(c + 64))}
                                         : std::string(1, static_cast<char>(c));
        const std::string data = std::string("a") + static_cast<char>(value) + "b";
        EXPECT_EQ(encodeWhole(data), "\x8B" + want + "\x8C\r\n") << "byte " << value;
    }
}

struct EdgeCase {
    const char* name;
    std::string data;  // given as the characters they encode to, turned into bytes below
    std::size_t lineLength;
    std::string want;
};

TEST(YencEncoderTest, EscapesAtLineEdges) {
    const std::vector<EdgeCase> cases = {
        {"space at start", " ab", 128, "=`ab\r\n"},
        {"tab at start", "\tab", 128, "=Iab\r\n"},
        {"dot at start", ".ab", 128, "=nab\r\n"},
        {"dot inside", "a.b", 128, "a.b\r\n"},
        {"space inside", "a b", 128, "a b\r\n"},
        {"space at end of data", "ab ", 128, "ab=`\r\n"},
        {"tab at end of data", "ab\t", 128, "ab=I\r\n"},
        {"dot at end of data", "ab.", 128, "ab.\r\n"},
        {"space just before a full line ends", "ab cdefg", 4, "ab c\r\ndefg\r\n"},
        {"space last on a full line", "abc efg", 4, "abc=`\r\nefg\r\n"},
        {"dot first on the next line", "abcd.fg", 4, "abcd\r\n=nfg\r\n"},
        {"space first on the next line", "abcd fg", 4, "abcd\r\n=`fg\r\n"},
        {"escape makes the line one longer", "abc=fg", 4, "abc=}\r\nfg\r\n"},
        {"exactly one full line", "abcd", 4, "abcd\r\n"},
    };
    for (const EdgeCase& c : cases) {
        std::string bytes;
        for (char ch : c.data) bytes += byteFor(ch);
        EXPECT_EQ(encodeWhole(bytes, c.lineLength), c.want) << c.name;
    }
}

TEST(YencEncoderTest, EmptyDataWritesNothing) {
    EXPECT_EQ(encodeWhole(""), "") << "got lines for no data";
}

TEST(YencEncoderTest, LinesHoldTheLineLengthOrOneMore) {
    std::mt19937 random(7);
    std::string data(100000, '\0');
    for (char& c : data) c = static_cast<char>(random());
    for (std::size_t lineLength : std::vector<std::size_t>{2, 3, 64, 128, 997}) {
        const std::vector<std::string> lines = linesOf(encodeWhole(data, lineLength));
        ASSERT_FALSE(lines.empty());
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            const std::size_t length = lines[i].size();
            // A line ends once it reaches the length; an escape may carry it one past.
            const bool endsInEscape = length >= 2 && lines[i][length - 2] == '=';
            EXPECT_TRUE(length == lineLength || (length == lineLength + 1 && endsInEscape))
                << "line " << i << " at length " << lineLength << ": got " << length << " characters";
        }
        EXPECT_LE(lines.back().size(), lineLength + 1);
        EXPECT_GT(lines.back().size(), 0u);
    }
}

TEST(YencEncoderTest, NoLineBeginsOrEndsInABlankOrBeginsWithADot) {
    // Data that encodes to blanks and dots everywhere.
    std::string data;
    for (int i = 0; i < 5000; ++i) data += byteFor(" \t.a"[i % 4 == 3 ? 3 : i % 3]);
    for (std::size_t lineLength : std::vector<std::size_t>{2, 5, 128}) {
        for (const std::string& line : linesOf(encodeWhole(data, lineLength))) {
            ASSERT_FALSE(line.empty());
            EXPECT_NE(line.front(), ' ') << line;
            EXPECT_NE(line.front(), '\t') << line;
            EXPECT_NE(line.front(), '.') << line;
            EXPECT_NE(line.back(), ' ') << line;
            EXPECT_NE(line.back(), '\t') << line;
        }
    }
}

TEST(YencEncoderTest, ChunksGiveTheSameOutputAsOneCall) {
    std::mt19937 random(11);
    std::string data(20000, '\0');
    for (char& c : data) c = static_cast<char>(random());
    // Blanks and dots where lines begin and end, so that held-back bytes matter.
    for (std::size_t i = 0; i < data.size(); i += 37) data[i] = byteFor(i % 2 ? ' ' : '.');
    const std::string whole = encodeWhole(data);
    for (std::size_t chunk : std::vector<std::size_t>{1, 2, 3, 7, 63, 64, 127, 128, 129, 255, 256, 4096, 19999}) {
        EXPECT_EQ(encodeChunked(data, chunk), whole) << "chunks of " << chunk << " differ from one call";
    }
}

TEST(YencEncoderTest, RoundTripsThroughTheDecoder) {
    std::mt19937 random(3);
    for (std::size_t size : std::vector<std::size_t>{0, 1, 2, 127, 128, 129, 1000, 65537}) {
        std::string data(size, '\0');
        for (char& c : data) c = static_cast<char>(random());
        EXPECT_EQ(decode(encodeWhole(data)), data) << size << " bytes did not come back";
        EXPECT_EQ(decode(encodeChunked(data, 5)), data) << size << " bytes in chunks did not come back";
    }
}

TEST(YencEncoderTest, OutputStaysWithinTheRoomForTheWorstData) {
    // Every byte escaped: the most characters and line ends per byte.
    for (std::size_t size : std::vector<std::size_t>{1, 63, 64, 65, 127, 128, 1000}) {
        const std::string data(size, byteFor('='));
        const std::string text = encodeWhole(data);
        EXPECT_LE(text.size(), yencEncodedBound(size)) << size << " bytes: got " << text.size();
    }
}

}  // namespace
}  // namespace kodra
