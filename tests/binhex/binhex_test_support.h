// Helpers the BinHex tests share: streams over temporary files, temporary folders, and
// an independent, deliberately plain builder and reader of BinHex 4.0 text.
#pragma once

#include "support/portable.h"

#include "support/temp_folder.h"

#include "binhex/binhex.h"
#include "binhex/binhex_reader.h"
#include "frame/byte_sink.h"
#include "frame/line_source.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace kodra::test {

using Bytes = std::vector<std::uint8_t>;

struct FileCloser {
    void operator()(std::FILE* file) const noexcept {
        if (file != nullptr) std::fclose(file);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A temporary read-write stream holding content, positioned at its start.
FilePtr streamWith(std::string_view content);
inline FilePtr streamWith(const Bytes& content) {
    return streamWith(std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
}
// Everything the stream holds, read from its start.
std::string contentsOf(std::FILE* file);
Bytes bytesOf(std::FILE* file);
// The rest of a stream from its current position.
std::string restOf(std::FILE* file);

using kodra::testing::TempFolder;

Bytes readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const Bytes& bytes);

// CRC-16/XMODEM, bit by bit.
std::uint16_t referenceCrc(const Bytes& bytes);
// bytes followed by their CRC, high byte first.
Bytes withCrc(const Bytes& bytes);
// A 4.0 header record.
Bytes headerRecord(std::string_view name, std::string_view type, std::string_view creator,
                   std::uint32_t dataLength, std::uint32_t resourceLength = 0);
// Run-length coding without runs: every 0x90 becomes 0x90 0x00.
Bytes escapeMarkers(const Bytes& bytes);
// The 6-bit characters of coded bytes (no line breaks).
std::string sixBitText(const Bytes& coded);
// Banner, ":", text in lines of 64 characters (CR LF), ":" and CR LF.
std::string binHexSection(std::string_view text);
// A complete section for name and data, type "TEXT", creator "ttxt", no runs; an empty
// resource fork.
std::string plainBinHexSection(std::string_view name, const Bytes& data);

// The coded bytes of the text between the first ":" of a line and the closing ":".
Bytes codedBytesOf(std::string_view stream);
// Run-length expansion of coded bytes.
Bytes expandRuns(const Bytes& coded);

// The outcome of running the scanner's and driver's calls over a stream.
struct DecodeOutcome {
    int detected = 0;
    int header = 0;
    int forks = 0;
    std::string name;
    Bytes data;
    std::string type, creator;  // after an accepted header
};
// Detects on the stream's first line, reads the header and decodes the forks with a
// BinHexReader, as the scanner and the decoding driver do.
DecodeOutcome decodeStream(std::string_view stream);

// Collects what is written to it.
class CollectingSink : public ByteSink {
public:
    Bytes bytes;
    bool write(const void* data, std::size_t size) noexcept override {
        try {
            const auto* p = static_cast<const std::uint8_t*>(data);
            bytes.insert(bytes.end(), p, p + size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
};

// Fails every write.
class RefusingSink : public ByteSink {
public:
    bool write(const void*, std::size_t) noexcept override { return false; }
};

// The stream functions' numbers for a detected form: 1, 2, -1 (ended early), 0.
inline int formNumber(BinHexForm form) {
    switch (form) {
        case BinHexForm::binHex40: return 1;
        case BinHexForm::hexBin: return 2;
        case BinHexForm::endedEarly: return -1;
        default: return 0;
    }
}

// What a line source still holds, line ends included.
inline std::string restOf(LineSource& source) {
    std::string rest;
    for (SourceLine line; source.next(line);) {
        rest.append(line.text);
        if (line.end == LineEnd::kCrLf) rest += "\r\n";
        else if (line.end == LineEnd::kLf) rest += '\n';
    }
    return rest;
}

// Seeded bytes: random ones, and runs of random lengths with frequent 0x90 bytes.
Bytes randomBytes(std::size_t size, unsigned seed);
Bytes runHeavyBytes(std::size_t size, unsigned seed);

// Definitions.


inline FilePtr streamWith(std::string_view content) {
    FilePtr file(kodra::testing::temporaryStream());
    if (!file) {
        ADD_FAILURE() << "no temporary file";
        return file;
    }
    if (!content.empty()) std::fwrite(content.data(), 1, content.size(), file.get());
    std::rewind(file.get());
    return file;
}

inline std::string restOf(std::FILE* file) {
    std::string text;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
    return text;
}

inline std::string contentsOf(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    return restOf(file);
}

inline Bytes bytesOf(std::FILE* file) {
    const std::string text = contentsOf(file);
    return Bytes(text.begin(), text.end());
}

inline Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::uint16_t referenceCrc(const Bytes& bytes) {
    unsigned crc = 0;
    for (const std::uint8_t byte : bytes) {
        for (int bit = 7; bit >= 0; --bit) {
            const unsigned in = (byte >> bit) & 1u;
            const unsigned top = (crc >> 15) & 1u;
            crc = (crc << 1) & 0xFFFFu;
            if (top ^ in) crc ^= 0x1021u;
        }
    }
    return static_cast<std::uint16_t>(crc);
}

inline Bytes withCrc(const Bytes& bytes) {
    Bytes out = bytes;
    const std::uint16_t crc = referenceCrc(bytes);
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return out;
}

inline Bytes headerRecord(std::string_view name, std::string_view type, std::string_view creator,
                   std::uint32_t dataLength, std::uint32_t resourceLength) {
    Bytes record;
    record.push_back(static_cast<std::uint8_t>(name.size()));
    record.insert(record.end(), name.begin(), name.end());
    record.push_back(0);
    record.insert(record.end(), type.begin(), type.end());
    record.insert(record.end(), creator.begin(), creator.end());
    record.push_back(0);
    record.push_back(0);
    for (const std::uint32_t value : {dataLength, resourceLength})
        for (int shift = 24; shift >= 0; shift -= 8) record.push_back(static_cast<std::uint8_t>(value >> shift));
    return record;
}

inline Bytes escapeMarkers(const Bytes& bytes) {
    Bytes out;
    for (const std::uint8_t byte : bytes) {
        out.push_back(byte);
        if (byte == 0x90) out.push_back(0);
    }
    return out;
}

inline constexpr std::string_view kReferenceAlphabet = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

inline std::string sixBitText(const Bytes& coded) {
    std::string text;
    unsigned long bits = 0;
    int count = 0;
    for (const std::uint8_t byte : coded) {
        bits = (bits << 8 | byte) & 0xFFFFFFul;
        count += 8;
        while (count >= 6) {
            count -= 6;
            text += kReferenceAlphabet[(bits >> count) & 63u];
        }
    }
    if (count > 0) text += kReferenceAlphabet[(bits << (6 - count)) & 63u];
    return text;
}

inline std::string binHexSection(std::string_view text) {
    std::string out = "(This file must be converted with BinHex 4.0)\r\n:";
    std::size_t column = 1;
    for (const char c : text) {
        out += c;
        if (++column == 64) {
            out += "\r\n";
            column = 0;
        }
    }
    return out + ":\r\n";
}

inline std::string plainBinHexSection(std::string_view name, const Bytes& data) {
    Bytes stream = withCrc(headerRecord(name, "TEXT", "ttxt", static_cast<std::uint32_t>(data.size())));
    const Bytes fork = withCrc(data);
    stream.insert(stream.end(), fork.begin(), fork.end());
    stream.push_back(0);
    stream.push_back(0);
    return binHexSection(sixBitText(escapeMarkers(stream)));
}

inline Bytes codedBytesOf(std::string_view stream) {
    std::size_t start = stream.find("\n:");
    if (start == std::string_view::npos) return {};
    unsigned long bits = 0;
    int count = 0;
    Bytes out;
    for (std::size_t i = start + 2; i < stream.size() && stream[i] != ':'; ++i) {
        if (stream[i] == '\r' || stream[i] == '\n') continue;
        const std::size_t value = kReferenceAlphabet.find(stream[i]);
        if (value == std::string_view::npos) {
            ADD_FAILURE() << "got character " << int(stream[i]) << " outside the alphabet";
            return out;
        }
        bits = (bits << 6 | value) & 0xFFFFFFul;
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    return out;
}

inline Bytes expandRuns(const Bytes& coded) {
    Bytes out;
    for (std::size_t i = 0; i < coded.size(); ++i) {
        if (coded[i] != 0x90) {
            out.push_back(coded[i]);
        } else if (i + 1 < coded.size()) {
            const std::uint8_t count = coded[++i];
            if (count == 0) out.push_back(0x90);
            else if (!out.empty()) out.insert(out.end(), count - 1u, out.back());
        }
    }
    return out;
}

inline DecodeOutcome decodeStream(std::string_view stream) {
    DecodeOutcome outcome;
    LineSource input(stream.data(), stream.size());
    BinHexReader reader;
    SourceLine line;
    if (!input.next(line)) return outcome;
    outcome.detected = formNumber(reader.detect(line.text, input));
    std::string name = "(unchanged)", hashLine;
    if (outcome.detected == 1) outcome.header = reader.readHeader(input, name) ? 1 : 0;
    else if (outcome.detected == 2) outcome.header = reader.readHexBinHeader(input, hashLine) ? 1 : 0;
    outcome.name = name;
    if (outcome.header == 1) {
        outcome.type.assign(reader.header().type, 4);
        outcome.creator.assign(reader.header().creator, 4);
        CollectingSink output;
        outcome.forks = reader.decodeForks(input, &output) ? 1 : 0;
        outcome.data = output.bytes;
    }
    return outcome;
}

inline Bytes randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes out(size);
    for (auto& b : out) b = static_cast<std::uint8_t>(byte(engine));
    return out;
}

inline Bytes runHeavyBytes(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> length(1, 600);
    std::uniform_int_distribution<int> choice(0, 5);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes out;
    while (out.size() < size) {
        const int pick = choice(engine);
        const auto value = static_cast<std::uint8_t>(pick == 0 ? 0x90 : pick == 1 ? 0 : byte(engine));
        out.insert(out.end(), static_cast<std::size_t>(length(engine)), value);
    }
    out.resize(size);
    return out;
}

}  // namespace kodra::test
