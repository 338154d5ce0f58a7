#include "yenc/yenc_data.h"

#include "support/shown_bytes.h"
#include "yenc_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kodra::testing {
namespace {

using Decoder = std::function<std::size_t(YencDecodeState&, const char*, std::size_t, unsigned char*)>;

struct DecoderRow {
    const char* name;
    Decoder decode;
};

std::vector<DecoderRow> decoderRows() {
    return {
        {"scalar", yencDecodeScalar},
        {"active", yencDecode},
        {"word", [](YencDecodeState& s, const char* in, std::size_t n, unsigned char* out) {
             return yencDecodeAt(SimdLevel::scalar, s, in, n, out);
         }},
        {"sse2", [](YencDecodeState& s, const char* in, std::size_t n, unsigned char* out) {
             return yencDecodeAt(SimdLevel::ssse3, s, in, n, out);
         }},
        {"avx2", [](YencDecodeState& s, const char* in, std::size_t n, unsigned char* out) {
             return yencDecodeAt(SimdLevel::avx2, s, in, n, out);
         }},
    };
}

// The text decoded in chunks of `chunk` characters, with the escape state carried.
std::string decodeInChunks(const Decoder& decode, const std::string& text, std::size_t chunk, bool& escaped) {
    std::string out;
    YencDecodeState state;
    for (std::size_t at = 0; at < text.size(); at += chunk) {
        const std::size_t n = std::min(chunk, text.size() - at);
        std::string piece(n, '\0');
        const std::size_t got = decode(state, text.data() + at, n, reinterpret_cast<unsigned char*>(&piece[0]));
        out.append(piece, 0, got);
    }
    escaped = state.escaped;
    return out;
}

struct TextRow {
    const char* name;
    std::string text;
    std::string want;
    bool wantEscaped = false;
};

std::vector<TextRow> textRows() {
    return {
        {"nothing", "", ""},
        {"plain", "\x8B\x8C\x8D", "abc"},
        {"offset wraps", std::string("\x00\x29\x2A", 3), std::string("\xD6\xFF\x00", 3)},
        {"escaped NUL", "=@", std::string(1, '\xD6')},
        {"escaped equals", "=}", "\x13"},
        {"escape result wraps", "=\x09", "\x9F"},
        {"CR LF skipped", "\x8B\r\n\x8C\n\r\x8D", "abc"},
        {"escape across a line end", "=\r\n@", std::string(1, '\xD6')},
        {"double equals", "==", "\xD3"},
        {"ends in an escape", "\x8B=", "a", true},
    };
}

TEST(YencDecode, DecodesTheRows) {
    for (const DecoderRow& decoder : decoderRows()) {
        for (const TextRow& row : textRows()) {
            for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{1000}}) {
                bool escaped = false;
                const std::string got = decodeInChunks(decoder.decode, row.text, chunk, escaped);
                EXPECT_EQ(got, row.want) << decoder.name << ", " << row.name << ", chunk " << chunk << ": got "
                                         << shown(got) << ", want " << shown(row.want);
                EXPECT_EQ(escaped, row.wantEscaped) << decoder.name << ", " << row.name;
            }
        }
    }
}

std::string everyByteTwice() {
    std::string bytes;
    for (int round = 0; round < 2; ++round)
        for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    return bytes;
}

struct EncodingRow {
    const char* name;
    std::string encoded;
};

TEST(YencDecode, EveryByteValueRoundTripsAtEveryChunkSize) {
    const std::string data = everyByteTwice();
    const std::vector<EncodingRow> encodings = {
        {"128-character CR LF lines", yencEncode(data)},
        {"LF lines of 7", yencEncode(data, 7, "\n")},
        {"one long line", yencEncode(data, 1 << 20, "")},
        {"every byte escaped", yencEncode(data, 61, "\r\n", true)},
        {"lines of 1", yencEncode(data, 1, "\r\n")},
    };
    std::vector<std::size_t> chunks;
    for (std::size_t chunk = 1; chunk <= 17; ++chunk) chunks.push_back(chunk);
    chunks.push_back(31), chunks.push_back(32), chunks.push_back(33), chunks.push_back(1 << 20);
    for (const DecoderRow& decoder : decoderRows()) {
        for (const EncodingRow& encoding : encodings) {
            for (const std::size_t chunk : chunks) {
                bool escaped = true;
                const std::string got = decodeInChunks(decoder.decode, encoding.encoded, chunk, escaped);
                EXPECT_EQ(got, data) << decoder.name << ", " << encoding.name << ", chunk " << chunk
                                     << ": got " << got.size() << " bytes, want " << data.size();
                EXPECT_FALSE(escaped) << decoder.name << ", " << encoding.name << ", chunk " << chunk;
            }
        }
    }
}

// Random text over an alphabet rich in "=", CR and LF: the fast paths against the oracle,
// whole and in chunks.
TEST(YencDecode, FastPathsMatchTheScalarOracleOnRandomText) {
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        std::string text = randomBytes(1 + seed * 37, seed);
        // Thin the specials out differently per seed: from dense to clean runs of hundreds.
        const std::string specials = "=\r\n";
        std::mt19937 generator(seed);
        const std::uint32_t every = 1 + seed % 7 * seed;
        for (char& c : text)
            if (generator() % every == 0) c = specials[generator() % specials.size()];
        bool wantEscaped = false;
        const std::string want = decodeInChunks(yencDecodeScalar, text, text.size(), wantEscaped);
        for (const DecoderRow& decoder : decoderRows()) {
            for (const std::size_t chunk : {std::size_t{3}, std::size_t{16}, std::size_t{33}, text.size()}) {
                bool escaped = false;
                const std::string got = decodeInChunks(decoder.decode, text, chunk, escaped);
                EXPECT_EQ(got, want) << decoder.name << ", seed " << seed << ", chunk " << chunk;
                EXPECT_EQ(escaped, wantEscaped) << decoder.name << ", seed " << seed << ", chunk " << chunk;
            }
        }
    }
}

// The fast paths write whole blocks ahead; they must stay inside the room the caller gave.
TEST(YencDecode, WritesNoMoreThanTheInputSize) {
    const std::string data = randomBytes(200, 3);
    const std::string text = yencEncode(data, 50, "\r\n");
    for (const DecoderRow& decoder : decoderRows()) {
        for (std::size_t size = 0; size <= text.size(); ++size) {
            std::string out(size + 64, '\x5A');
            YencDecodeState state;
            decoder.decode(state, text.data(), size, reinterpret_cast<unsigned char*>(&out[0]));
            EXPECT_EQ(out.substr(size), std::string(64, '\x5A')) << decoder.name << ", size " << size;
        }
    }
}

}  // namespace
}  // namespace kodra::testing
