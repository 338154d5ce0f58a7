// A small yEnc encoder for the tests: every critical character escaped, and optionally
// more, so that the decoders meet escapes wherever a line may hold them.
#pragma once

#include "yenc/crc32.h"

#include <cstdint>
#include <random>
#include <string>

namespace kodra::testing {

// data as yEnc lines of `lineLength` characters (an escape may make one longer), each
// ended by `lineEnd`; escapeAll escapes every byte whose escaped form is no line end.
inline std::string yencEncode(const std::string& data, std::size_t lineLength = 128, const char* lineEnd = "\r\n",
                              bool escapeAll = false) {
    std::string out;
    std::size_t column = 0;
    for (const char c : data) {
        const auto encoded = static_cast<unsigned char>(static_cast<unsigned char>(c) + 42);
        const bool critical = encoded == 0 || encoded == '\n' || encoded == '\r' || encoded == '=';
        const auto escaped = static_cast<unsigned char>(encoded + 64);
        if (critical || (escapeAll && escaped != '\n' && escaped != '\r')) {
            out += '=';
            out += static_cast<char>(escaped);
            column += 2;
        } else {
            out += static_cast<char>(encoded);
            ++column;
        }
        if (column >= lineLength) {
            out += lineEnd;
            column = 0;
        }
    }
    if (column > 0) out += lineEnd;
    return out;
}

// `size` bytes from a seeded generator.
inline std::string randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

inline std::uint32_t crcOf(const std::string& data) { return crc32Update(0, data.data(), data.size()); }

}  // namespace kodra::testing
