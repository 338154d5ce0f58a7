// An open C stream that closes itself.
#pragma once

#include <cstdio>
#include <memory>

namespace kodra {

struct StdioFileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

// Closes file and reports whether everything written to it reached the system.
inline bool closeStdioFile(StdioFile& file) noexcept {
    std::FILE* raw = file.release();
    const bool clean = std::ferror(raw) == 0;
    return std::fclose(raw) == 0 && clean;
}

}  // namespace kodra
