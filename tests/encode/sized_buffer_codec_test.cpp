// KodraEncodeBuffer and KodraDecodeBuffer: the buffer codec with sizes, rooms of exactly the
// documented formulas, and yEnc lines.
#include "encode/buffer_room.h"
#include "kodra32.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kodra {
namespace {

// The documented room for n input bytes.
std::size_t encodeRoom(int type, std::size_t n) {
    switch (type) {
        case 6: return 2 * n + 2 * (2 * n / 128 + 1) + 4;
        default: return encodedRoom(type, n);
    }
}

std::size_t decodeRoom(int type, std::size_t n) {
    switch (type) {
        case 5: return n + 1;
        case 6: return n;
        default: return 3 * (n / 4) + 3;
    }
}

// Heap buffers of exactly n bytes, so that AddressSanitizer sees any access past them.
std::unique_ptr<char[]> exactBuffer(std::size_t n) { return std::unique_ptr<char[]>(new char[n ? n : 1]); }

std::string encodeExact(const std::string& data, int type) {
    const std::size_t room = encodeRoom(type, data.size());
    auto in = exactBuffer(data.size());
    std::copy(data.begin(), data.end(), in.get());
    auto out = exactBuffer(room);
    const long long written = KodraEncodeBuffer(in.get(), data.size(), out.get(), room, type);
    EXPECT_GE(written, 0) << "type " << type << ", " << data.size() << " bytes refused";
    return written < 0 ? std::string() : std::string(out.get(), static_cast<std::size_t>(written));
}

std::string decodeExact(const std::string& text, int type) {
    const std::size_t room = decodeRoom(type, text.size());
    auto in = exactBuffer(text.size());
    std::copy(text.begin(), text.end(), in.get());
    auto out = exactBuffer(room);
    const long long written = KodraDecodeBuffer(in.get(), text.size(), out.get(), room, type);
    EXPECT_GE(written, 0) << "type " << type << " refused";
    return written < 0 ? std::string() : std::string(out.get(), static_cast<std::size_t>(written));
}

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

TEST(SizedBufferCodecTest, RoundTripsEveryTypeInExactRoom) {
    for (int type : {1, 2, 4, 5, 6}) {
        for (std::size_t size : std::vector<std::size_t>{0, 1, 2, 3, 44, 45, 57, 127, 128, 129, 1000, 70001}) {
            const std::string data = randomBytes(size, static_cast<unsigned>(size) + 1);
            const std::string text = encodeExact(data, type);
            // Quoted-printable buffer text always ends in a line break of its own.
            const std::string want = type == 5 ? data + "\r\n" : data;
            EXPECT_EQ(decodeExact(text, type), want) << "type " << type << ", " << size << " bytes did not come back";
        }
    }
}

TEST(SizedBufferCodecTest, ClassicTypesWriteWhatEncodeBufferWrites) {
    const std::string data = randomBytes(5000, 9);
    for (int type : {1, 2, 4, 5}) {
        std::vector<char> classic(encodeRoom(type, data.size()));
        const int length = EncodeBuffer(data.data(), classic.data(), static_cast<int>(data.size()), type);
        EXPECT_EQ(encodeExact(data, type), std::string(classic.data(), static_cast<std::size_t>(length)))
            << "type " << type;
    }
}

TEST(SizedBufferCodecTest, YencLinesHaveNoControlLines) {
    const std::string text = encodeExact(std::string(300, 'a'), 6);
    // "a" + 42 is 0x8B; lines of 128 characters.
    EXPECT_EQ(text, std::string(128, '\x8B') + "\r\n" + std::string(128, '\x8B') + "\r\n" + std::string(44, '\x8B') + "\r\n");
    EXPECT_EQ(decodeExact("=}\r\n\x8B\n=", 6), std::string("\x13" "a", 2)) << "escape and bare LF";
}

struct RefusalCase {
    const char* name;
    bool encode;
    int type;
    bool nullInput;
    bool nullOutput;
    long long roomShort;  // bytes below the documented room
};

TEST(SizedBufferCodecTest, RefusesWithMinusOneAndWritesNothing) {
    const std::vector<RefusalCase> cases = {
        {"encode type 0", true, 0, false, false, 0},      {"encode type 3", true, 3, false, false, 0},
        {"encode type 7", true, 7, false, false, 0},      {"decode type 3", false, 3, false, false, 0},
        {"encode null input", true, 6, true, false, 0},   {"decode null output", false, 6, false, true, 0},
        {"encode room short", true, 6, false, false, 1},  {"encode Base64 room short", true, 2, false, false, 1},
        {"decode room short", false, 6, false, false, 1}, {"decode QP room short", false, 5, false, false, 1},
    };
    const std::string input(200, 'q');
    for (const RefusalCase& c : cases) {
        const int type = c.type == 0 || c.type == 3 || c.type == 7 ? 6 : c.type;
        std::size_t room = c.encode ? encodeRoom(type, input.size()) : decodeRoom(type, input.size());
        room -= static_cast<std::size_t>(c.roomShort);
        std::vector<char> out(room + 1, '#');
        const long long got =
            c.encode ? KodraEncodeBuffer(c.nullInput ? nullptr : input.data(), input.size(),
                                         c.nullOutput ? nullptr : out.data(), room, c.type)
                     : KodraDecodeBuffer(c.nullInput ? nullptr : input.data(), input.size(),
                                         c.nullOutput ? nullptr : out.data(), room, c.type);
        EXPECT_EQ(got, -1) << c.name << ": got " << got << ", want -1";
        EXPECT_EQ(std::string(out.data(), out.size()), std::string(out.size(), '#')) << c.name << " wrote";
    }
}

}  // namespace
}  // namespace kodra
