// Helpers of the encoding tests: a temporary folder per test, whole-file reads and writes.
#pragma once

#include "support/portable.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <iterator>
#include <string>

namespace kodra::test {

using kodra::testing::TempFolder;

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) ADD_FAILURE() << "cannot write " << path;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) ADD_FAILURE() << "cannot read " << path;
    std::string bytes;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    return bytes;
}

inline bool exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// Bytes 0 to 255 over and over, with a little variation so that lines differ.
inline std::string patternBytes(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// A writable path buffer of 300 bytes holding text; the bytes past kodra's path limit of
// 260 are filled with a guard that tests check stays untouched.
struct PathBuffer {
    static constexpr std::size_t kLimit = 260;
    static constexpr char kGuard = '\x5A';
    char bytes[300];

    explicit PathBuffer(const std::string& text) {
        std::fill(std::begin(bytes), std::end(bytes), kGuard);
        text.copy(bytes, text.size());
        bytes[text.size()] = '\0';
    }
    std::string text() const { return std::string(bytes); }
    bool guardIntact() const {
        for (std::size_t i = kLimit; i < sizeof bytes; ++i)
            if (bytes[i] != kGuard) return false;
        return true;
    }
};

// True when a program is on the search path.
inline bool haveProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace kodra::test
