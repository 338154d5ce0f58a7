// A yEnc section read back into its control lines and its decoded bytes, for the encoding
// tests.
#pragma once

#include "yenc/crc32.h"
#include "yenc/yenc_data.h"
#include "yenc/yenc_lines.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kodra::test {

struct ReadSection {
    std::optional<YencLine> begin;
    std::optional<YencLine> part;
    std::optional<YencLine> end;
    std::string data;        // decoded
    std::size_t lines = 0;   // data lines
    bool trailing = false;   // anything after "=yend"
};

// Reads the yEnc section in text (lines ending in CR LF): its control lines, parsed, and
// its data lines, decoded.
inline ReadSection readSection(const std::string& text) {
    ReadSection section;
    YencDecodeState state;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = text.substr(start, end - start);
        if (section.end) {
            section.trailing = true;
            break;
        }
        if (!section.begin) {
            section.begin = parseYencLine(line);
            if (!section.begin || section.begin->kind != YencLineKind::begin) ADD_FAILURE() << "first line: " << line;
            continue;
        }
        if (line.rfind("=ypart ", 0) == 0) {
            section.part = parseYencLine(line);
            continue;
        }
        if (line.rfind("=yend ", 0) == 0) {
            section.end = parseYencLine(line);
            continue;
        }
        ++section.lines;
        std::string bytes(line.size(), '\0');
        bytes.resize(yencDecode(state, line.data(), line.size(), reinterpret_cast<unsigned char*>(&bytes[0])));
        section.data += bytes;
    }
    if (start != text.size()) section.trailing = true;
    return section;
}

inline std::uint32_t crcOfBytes(const std::string& bytes) { return crc32Update(0, bytes.data(), bytes.size()); }

}  // namespace kodra::test
