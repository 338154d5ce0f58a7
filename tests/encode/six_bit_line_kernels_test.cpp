#include "encode/six_bit_line_kernels.h"
#include "support/memory_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace kodra {
namespace {

using testing::contentsOf;
using testing::streamWith;

struct NamedFormat {
    const char* name;
    SixBitFormat format;
};

// Every layout the encoders write: the three types, and UU and XX without "=" padding
// (the standard part layout).
std::vector<NamedFormat> allFormats() {
    return {{"uu", *sixBitFormat(1)},
            {"base64", *sixBitFormat(2)},
            {"xx", *sixBitFormat(4)},
            {"uu unpadded", {uuAlphabet, 45, true, false}},
            {"xx unpadded", {xxAlphabet, 45, true, false}}};
}

struct NamedLevel {
    const char* name;
    SimdLevel level;
};

// The levels this processor can run; the others are skipped, not faked.
std::vector<NamedLevel> runnableLevels() {
    std::vector<NamedLevel> levels{{"scalar", SimdLevel::scalar}};
    if (supportedSimdLevel() >= SimdLevel::ssse3) levels.push_back({"ssse3", SimdLevel::ssse3});
    if (supportedSimdLevel() >= SimdLevel::avx2) levels.push_back({"avx2", SimdLevel::avx2});
    return levels;
}

// The reference: one line at a time through the scalar line encoder.
std::string referenceLines(const std::vector<std::uint8_t>& source, const SixBitFormat& format) {
    std::string out;
    std::vector<char> line(sixBitLineSize(format, format.bytesPerLine));
    for (std::size_t done = 0; done < source.size(); done += format.bytesPerLine) {
        const std::size_t n = std::min(format.bytesPerLine, source.size() - done);
        out.append(line.data(), encodeSixBitLine(source.data() + done, n, format, line.data()));
    }
    return out;
}

std::vector<std::uint8_t> randomBytes(std::mt19937& random, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// Encodes into a buffer with a guard zone after the promised size, so that a kernel
// writing past its output shows.
std::string encodedAt(SimdLevel level, const std::vector<std::uint8_t>& source, const SixBitFormat& format,
                      bool& guardIntact) {
    const auto size = static_cast<std::size_t>(sixBitEncodedSize(format, source.size()));
    std::vector<char> out(size + 64, '\x5A');
    const std::size_t written = encodeSixBitBufferAt(level, source.data(), source.size(), format, out.data());
    guardIntact = written == size;
    for (std::size_t at = size; at < out.size(); ++at) guardIntact = guardIntact && out[at] == '\x5A';
    return std::string(out.data(), written);
}

TEST(SixBitLineKernels, MatchReferenceOnEveryLengthUpTo300) {
    std::mt19937 random(20261207u);
    for (const NamedFormat& f : allFormats()) {
        for (std::size_t length = 0; length <= 300; ++length) {
            // The source sits at the very end of its allocation, so that a read past it
            // is caught by the sanitizer presets.
            const std::vector<std::uint8_t> source = randomBytes(random, length);
            const std::string want = referenceLines(source, f.format);
            for (const NamedLevel& l : runnableLevels()) {
                bool guardIntact = false;
                const std::string got = encodedAt(l.level, source, f.format, guardIntact);
                ASSERT_EQ(got, want) << f.name << " at " << l.name << ", " << length << " bytes: got\n"
                                     << got << "want\n" << want;
                ASSERT_TRUE(guardIntact) << f.name << " at " << l.name << ", " << length
                                         << " bytes: wrote past its output";
            }
        }
    }
}

TEST(SixBitLineKernels, MatchReferenceOnEdgeValues) {
    // Every 6-bit value in every position of a group, through all four lookup quarters.
    struct Case {
        const char* name;
        std::vector<std::uint8_t> source;
    };
    std::vector<std::uint8_t> ramp(3 * 256), zeros(57 * 3, 0), ones(57 * 3, 0xFF);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i / 3 + i % 3 * 85);
    const Case cases[] = {{"ramp", ramp}, {"all zero", zeros}, {"all ones", ones}};
    for (const Case& c : cases) {
        for (const NamedFormat& f : allFormats()) {
            const std::string want = referenceLines(c.source, f.format);
            for (const NamedLevel& l : runnableLevels()) {
                bool guardIntact = false;
                EXPECT_EQ(encodedAt(l.level, c.source, f.format, guardIntact), want)
                    << c.name << ", " << f.name << " at " << l.name;
                EXPECT_TRUE(guardIntact) << c.name << ", " << f.name << " at " << l.name;
            }
        }
    }
}

TEST(SixBitLineKernels, MatchReferenceOnLargeRandomBuffers) {
    std::mt19937 random(7u);
    for (int round = 0; round < 20; ++round) {
        const std::size_t length = 100000 + random() % 300000;
        const std::vector<std::uint8_t> source = randomBytes(random, length);
        for (const NamedFormat& f : allFormats()) {
            const std::string want = referenceLines(source, f.format);
            for (const NamedLevel& l : runnableLevels()) {
                bool guardIntact = false;
                ASSERT_EQ(encodedAt(l.level, source, f.format, guardIntact), want)
                    << f.name << " at " << l.name << ", " << length << " bytes";
                ASSERT_TRUE(guardIntact) << f.name << " at " << l.name << ", " << length << " bytes";
            }
        }
    }
}

TEST(SixBitFileEncoderLevels, MatchReferenceAcrossReadChunks) {
    // Lengths around the driver's read size (4096 lines) and its multiples, and small ones.
    std::mt19937 random(11u);
    for (const NamedFormat& f : allFormats()) {
        const std::size_t chunk = 4096 * f.format.bytesPerLine;
        const std::size_t lengths[] = {0, 1, f.format.bytesPerLine, chunk - 1, chunk, chunk + 1,
                                       2 * chunk + f.format.bytesPerLine - 1, 3 * chunk};
        for (std::size_t length : lengths) {
            const std::vector<std::uint8_t> source = randomBytes(random, length);
            std::string want = referenceLines(source, f.format);
            if (f.format.lengthCharacter) want += std::string(1, f.format.alphabet[0]) + "\r\nend\r\n";
            for (const NamedLevel& l : runnableLevels()) {
                auto in = streamWith(std::string(source.begin(), source.end()));
                auto out = streamWith("");
                ASSERT_TRUE(encodeSixBitFileAt(l.level, in.get(), out.get(), f.format));
                const std::string got = contentsOf(out.get());
                ASSERT_EQ(got.size(), want.size()) << f.name << " at " << l.name << ", " << length << " bytes";
                ASSERT_TRUE(got == want) << f.name << " at " << l.name << ", " << length
                                         << " bytes: got output differing from the reference";
            }
        }
    }
}

}  // namespace
}  // namespace kodra
