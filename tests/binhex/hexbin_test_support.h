// Builders of sections in the older hexadecimal BinHex format, plain and compressed.
#pragma once

#include "binhex/binhex_test_support.h"

#include <cstdio>
#include <string>

namespace kodra::test {

enum class HexBinForm { plain, compressed };

// The plain form's byte sum and the compressed form's rotating sum of both forks.
inline unsigned hexBinChecksum(HexBinForm form, const Bytes& data, const Bytes& resource) {
    unsigned sum = 0;
    for (const Bytes* fork : {&data, &resource}) {
        for (const std::uint8_t byte : *fork) {
            if (form == HexBinForm::plain) {
                sum = (sum + byte) & 0xFFu;
            } else {
                sum = (sum + byte) & 0xFFFFu;
                sum = ((sum << 3) | (sum >> 13)) & 0xFFFFu;
            }
        }
    }
    return sum;
}

// One compressed line: the count and the bytes, three to a group of four characters
// worth their code minus 32 ("`" for zero).
inline std::string compressedLine(const Bytes& bytes) {
    Bytes counted = {static_cast<std::uint8_t>(bytes.size())};
    counted.insert(counted.end(), bytes.begin(), bytes.end());
    while (counted.size() % 3 != 0) counted.push_back(0);
    std::string line;
    for (std::size_t i = 0; i < counted.size(); i += 3) {
        const unsigned group = unsigned{counted[i]} << 16 | unsigned{counted[i + 1]} << 8 | counted[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) {
            const unsigned value = (group >> shift) & 63u;
            line += static_cast<char>(value == 0 ? '`' : ' ' + value);
        }
    }
    return line;
}

inline std::string plainLine(const Bytes& bytes) {
    std::string line;
    char pair[3];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        line += pair;
    }
    return line;
}

// The lines of one fork, perLine bytes a line.
inline std::string forkLines(HexBinForm form, const Bytes& fork, const char* lineEnd, std::size_t perLine = 30) {
    std::string text;
    for (std::size_t at = 0; at < fork.size(); at += perLine) {
        const Bytes part(fork.begin() + static_cast<std::ptrdiff_t>(at),
                         fork.begin() + static_cast<std::ptrdiff_t>(std::min(fork.size(), at + perLine)));
        text += (form == HexBinForm::plain ? plainLine(part) : compressedLine(part)) + lineEnd;
    }
    return text;
}

struct HexBinSection {
    HexBinForm form = HexBinForm::plain;
    Bytes data;
    Bytes resource;
    int checksumDelta = 0;  // added to the right checksum
    const char* lineEnd = "\r\n";
    bool withResourceFork = true;
};

inline std::string hexBinText(const HexBinSection& s) {
    const std::string end = s.lineEnd;
    std::string text = "(This file must be converted with BinHex)" + end + "#TEXTMACA$0000" + end;
    if (s.form == HexBinForm::compressed) text += "***COMPRESSED" + end;
    text += "***DATA" + end + forkLines(s.form, s.data, s.lineEnd) + "***END" + end;
    if (s.withResourceFork) text += "***RESOURCE" + end + forkLines(s.form, s.resource, s.lineEnd) + "***END" + end;
    const unsigned mask = s.form == HexBinForm::plain ? 0xFFu : 0xFFFFu;
    const unsigned sum = (hexBinChecksum(s.form, s.data, s.resource) + static_cast<unsigned>(s.checksumDelta)) & mask;
    char line[32];
    std::snprintf(line, sizeof line, s.form == HexBinForm::plain ? "***CHECKSUM:%02X" : "***CRC:%04X", sum);
    return text + line + end;
}

}  // namespace kodra::test
