// The buffer codec through its exports, in output buffers of exactly the documented sizes.
#include "encode/buffer_codec.h"
#include "encode/buffer_room.h"
#include "kodra32.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace kodra {
namespace {

// Heap copies of exactly n bytes, so that AddressSanitizer sees any access past them.
std::unique_ptr<char[]> exactCopy(const std::string& bytes) {
    std::unique_ptr<char[]> copy(new char[bytes.size() ? bytes.size() : 1]);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return copy;
}

std::size_t decodedRoom(std::size_t n) { return 3 * (n / 4) + 3; }

std::string encode(const std::string& source, int type) {
    const std::size_t room = encodedRoom(type, source.size());
    std::unique_ptr<char[]> out(new char[room ? room : 1]);
    auto in = exactCopy(source);
    const int got = EncodeBuffer(in.get(), out.get(), static_cast<int>(source.size()), type);
    EXPECT_GE(got, 0);
    return std::string(out.get(), static_cast<std::size_t>(got));
}

std::string decode(const std::string& text, int type) {
    const std::size_t room = type == 5 ? text.size() + 1 : decodedRoom(text.size());
    std::unique_ptr<char[]> out(new char[room]);
    auto in = exactCopy(text);
    const int got = DecodeBuffer(in.get(), out.get(), static_cast<int>(text.size()), type);
    EXPECT_GE(got, 0);
    return std::string(out.get(), static_cast<std::size_t>(got));
}

TEST(EncodeBuffer, WorkedExamples) {
    struct Case {
        const char* name;
        std::string source;
        int type;
        std::string want;
    };
    const Case cases[] = {
        // RFC 4648 section 10.
        {"base64 f", "f", 2, "Zg==\r\n"},
        {"base64 fo", "fo", 2, "Zm8=\r\n"},
        {"base64 foo", "foo", 2, "Zm9v\r\n"},
        {"base64 foob", "foob", 2, "Zm9vYg==\r\n"},
        {"base64 fooba", "fooba", 2, "Zm9vYmE=\r\n"},
        {"base64 foobar", "foobar", 2, "Zm9vYmFy\r\n"},
        // Worked examples of our own layout.
        {"base64 abc", "abc", 2, "YWJj\r\n"},
        {"uu abc", "abc", 1, "#86)C\r\n"},
        {"uu zero byte pads with equals", std::string(1, '\0'), 1, "!``==\r\n"},
        {"xx abc", "abc", 4, "1MK7X\r\n"},
        {"qp", "caf\xE9=", 5, "caf=E9=3D\r\n"},
        {"qp empty", "", 5, "\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(encode(c.source, c.type), c.want) << c.name;
}

TEST(EncodeBuffer, FortySixBytesMakeTwoUuLines) {
    const std::string got = encode(std::string(46, 'x'), 1);
    ASSERT_EQ(got.size(), 70u);
    EXPECT_EQ(got.substr(61, 2), "\r\n");
    EXPECT_EQ(got.substr(63, 1), "!");
    EXPECT_EQ(got.substr(66, 4), "==\r\n");
}

TEST(BufferCodec, RefusesBadArguments) {
    char in[8] = "abcdefg";
    char out[64];
    struct Case {
        const char* name;
        const char* input;
        char* output;
        int length;
        int type;
    };
    const Case cases[] = {
        {"type 0", in, out, 3, 0},     {"type 3", in, out, 3, 3},      {"type 6", in, out, 3, 6},
        {"type -1", in, out, 3, -1},   {"negative length", in, out, -1, 2},
        {"null input", nullptr, out, 3, 2}, {"null output", in, nullptr, 3, 2},
        {"null input qp", nullptr, out, 0, 5},
    };
    for (const Case& c : cases) {
        std::memset(out, 0x5A, sizeof out);
        EXPECT_EQ(EncodeBuffer(c.input, c.output, c.length, c.type), 0) << c.name;
        EXPECT_EQ(DecodeBuffer(c.input, c.output, c.length, c.type), 0) << c.name;
        EXPECT_EQ(out[0], 0x5A) << c.name << ": nothing may be written";
    }
}

TEST(EncodeBuffer, RefusesResultsBeyondIntWithoutWriting) {
    char in[4] = "abc";
    char out[4] = {0x5A, 0x5A, 0x5A, 0x5A};
    for (int type : {1, 2, 4, 5}) {
        EXPECT_EQ(EncodeBuffer(in, out, INT_MAX, type), 0) << "type " << type;
        EXPECT_EQ(out[0], 0x5A) << "type " << type;
    }
}

TEST(DecodeBuffer, WorkedExamples) {
    struct Case {
        const char* name;
        std::string text;
        int type;
        std::string want;
    };
    const Case cases[] = {
        {"base64 line", "YWJj\r\n", 2, "abc"},
        {"base64 padding", "YQ==", 2, "a"},
        {"base64 two lines with blank line", "YWJj\r\n\r\nZGVm\r\n", 2, "abcdef"},
        {"base64 leading line end decodes nothing", "\r\nYWJj", 2, ""},
        {"base64 last group without padding", "YWJjZA", 2, "abcd"},
        {"base64 last three symbols without padding", "YWJjZGU\r\n", 2, "abcde"},
        {"base64 last group of one pad", "YWJjZA=", 2, "abcd"},
        {"base64 unpadded group ends the data", "YWJjZA\r\nZGVm\r\n", 2, "abcd"},
        {"base64 lone symbol left", "YWJjZ", 2, "abc"},
        {"base64 blanks left", "YWJj  \r\nZGVm", 2, "abc"},
        {"uu with end line", "#86)C\r\n`\r\nend\r\n", 1, "abc"},
        {"uu space as zero length stops", "#86)C\r\n \r\n#86)C\r\n", 1, "abc"},
        {"xx padded last line", "1MK7X\r\n", 4, "abc"},
        {"qp", "a=3Db", 5, "a=b"},
        {"qp stops at zero byte", std::string("a=41\0=42", 8), 5, "aA"},
        {"qp soft break", "ab=\r\ncd=", 5, "abcd"},
    };
    for (const Case& c : cases) EXPECT_EQ(decode(c.text, c.type), c.want) << c.name;
}

TEST(DecodeBuffer, CountedBytesAreWrittenAsZeros) {
    // The length character claims three bytes, the line carries only one: the two
    // counted bytes must be zeros, not whatever the buffer held.
    const std::string text = "#86";
    char out[6];  // 3 * (3 / 4) + 3
    std::memset(out, 0x5A, sizeof out);
    const int got = DecodeBuffer(text.data(), out, static_cast<int>(text.size()), 1);
    ASSERT_EQ(got, 3);
    EXPECT_EQ(std::string(out, 3), std::string("a\0\0", 3));
}

TEST(BufferCodec, RoundTripsEveryLengthUpTo300) {
    std::mt19937 random(20261207);
    for (int type : {1, 2, 4}) {
        for (std::size_t length = 0; length <= 300; ++length) {
            std::string source(length, '\0');
            for (char& c : source) c = static_cast<char>(random());
            const std::string encoded = encode(source, type);
            ASSERT_EQ(encoded.size(), encodedRoom(type, length)) << "type " << type << " length " << length;
            ASSERT_EQ(decode(encoded, type), source) << "type " << type << " length " << length;
        }
    }
}

TEST(BufferCodec, QuotedPrintableRoundTripsRandomBytes) {
    std::mt19937 random(7);
    for (std::size_t length : {1u, 2u, 72u, 73u, 74u, 500u, 5000u}) {
        std::string source(length, '\0');
        // No zero bytes: a decoded text ends at its first zero.
        for (char& c : source) c = static_cast<char>(1 + random() % 255);
        const std::string encoded = encode(source, 5);
        ASSERT_LE(encoded.size() + 1, encodedRoom(5, length));
        // Soft breaks vanish; the encoder's final CR LF is its own.
        ASSERT_EQ(decode(encoded, 5), source + "\r\n") << "length " << length;
    }
}

TEST(DecodeBase64Text, DecodesInPlace) {
    char text[] = "YWJj";
    EXPECT_EQ(decodeBase64Text(text), 3);
    EXPECT_STREQ(text, "abc");
    char padded[] = "Zm9vYg==";
    EXPECT_EQ(decodeBase64Text(padded), 4);
    EXPECT_STREQ(padded, "foob");
    char unpadded[] = "Zm9vYg";
    EXPECT_EQ(decodeBase64Text(unpadded), 4);
    EXPECT_STREQ(unpadded, "foob");
    char shortest[] = "Zg";
    EXPECT_EQ(decodeBase64Text(shortest), 1);
    EXPECT_STREQ(shortest, "f");
    char empty[] = "";
    EXPECT_EQ(decodeBase64Text(empty), 0);
}

}  // namespace
}  // namespace kodra
