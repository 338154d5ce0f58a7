#include "yenc/crc32.h"

#include "yenc_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra::testing {
namespace {

struct CrcRow {
    const char* name;
    std::string data;
    std::uint32_t want;
};

std::vector<CrcRow> crcRows() {
    return {
        {"nothing", "", 0x00000000u},
        {"check value", "123456789", 0xCBF43926u},
        {"one letter", "a", 0xE8B7BE43u},
        {"pangram", "The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {"one NUL", std::string(1, '\0'), 0xD202EF8Du},
        {"32 NULs", std::string(32, '\0'), 0x190A55ADu},
        {"32 0xFF bytes", std::string(32, '\xFF'), 0xFF6CAB0Bu},
    };
}

TEST(Crc32, KnownVectors) {
    for (const CrcRow& row : crcRows()) {
        const std::uint32_t got = crc32Update(0, row.data.data(), row.data.size());
        EXPECT_EQ(got, row.want) << row.name << ": got " << std::hex << got << ", want " << row.want;
    }
}

// A bitwise CRC: the oracle of the sliced tables at every length and alignment.
std::uint32_t bitwiseCrc(const std::string& data) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char byte : data) {
        c ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

TEST(Crc32, MatchesTheBitwiseOracleAtEveryLengthAndOffset) {
    const std::string data = randomBytes(300, 7);
    for (std::size_t offset = 0; offset < 9; ++offset) {
        for (std::size_t length = 0; offset + length <= data.size(); length += (length < 40 ? 1 : 37)) {
            const std::string piece = data.substr(offset, length);
            const std::uint32_t got = crc32Update(0, data.data() + offset, length);
            const std::uint32_t want = bitwiseCrc(piece);
            EXPECT_EQ(got, want) << "offset " << offset << ", length " << length;
        }
    }
}

TEST(Crc32, ContinuesAcrossChunks) {
    const std::string data = randomBytes(1000, 11);
    const std::uint32_t whole = crc32Update(0, data.data(), data.size());
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{8}, std::size_t{9},
                            std::size_t{500}, std::size_t{999}, std::size_t{1000}}) {
        const std::uint32_t first = crc32Update(0, data.data(), cut);
        const std::uint32_t got = crc32Update(first, data.data() + cut, data.size() - cut);
        EXPECT_EQ(got, whole) << "cut at " << cut;
    }
}

TEST(Crc32, CombinesTheCrcsOfTwoPieces) {
    const std::string data = randomBytes(70000, 12);
    const std::uint32_t whole = crc32Update(0, data.data(), data.size());
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{255}, std::size_t{256},
                            std::size_t{4097}, std::size_t{65536}, std::size_t{69999}, std::size_t{70000}}) {
        const std::uint32_t first = crc32Update(0, data.data(), cut);
        const std::uint32_t second = crc32Update(0, data.data() + cut, data.size() - cut);
        const std::uint32_t got = crc32Combine(first, second, data.size() - cut);
        EXPECT_EQ(got, whole) << "cut at " << cut << ": got " << std::hex << got << ", want " << whole;
    }
}

}  // namespace
}  // namespace kodra::testing
