// A fresh folder for one test, removed with everything in it afterwards, and small file
// helpers that keep test data exact (binary mode throughout).
#pragma once

#include "support/portable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <cstdio>
#include <set>
#include <string>

namespace kodra::testing {

class TempFolder {
public:
    TempFolder() : path_(makeTempFolder("kodra-")) {}
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of name in the folder, joined as text: a name like "a:b" stays a name.
    std::string file(const std::string& name) const {
        return path_.string() + static_cast<char>(std::filesystem::path::preferred_separator) + name;
    }

    // Names of everything directly in the folder.
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            found.insert(entry.path().filename().string());
        return found;
    }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// The file's bytes; empty when it cannot be read.
inline std::string readFile(const std::string& path) {
    std::string content;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[65536];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) content.append(chunk, got);
        std::fclose(file);
    }
    return content;
}

// Compares two byte strings, describing the first difference briefly on failure.
inline ::testing::AssertionResult sameBytes(const std::string& got, const std::string& want) {
    if (got == want) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    return ::testing::AssertionFailure() << "got " << got.size() << " bytes, want " << want.size()
                                         << " bytes; first difference at offset " << at;
}

// Bytes 0 to 255 repeated, then a varying tail: every byte value, not text.
inline std::string binaryPayload(std::size_t size, unsigned seed = 1) {
    std::string data(size, '\0');
    unsigned state = seed;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = static_cast<char>(i < 256 ? i : (state >> 16) & 0xff);
    }
    return data;
}

}  // namespace kodra::testing
