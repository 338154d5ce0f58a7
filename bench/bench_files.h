// Files for the benchmarks: a scratch folder removed at the end, and whole-file writes.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace kodra::bench {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A new folder under /tmp, its name led by prefix; removed with everything in it at the end.
struct ScratchFolder {
    std::string path;
    explicit ScratchFolder(const std::string& prefix = "kodra-bench-") {
        std::string pattern = "/tmp/" + prefix + "XXXXXX";
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~ScratchFolder() {
        if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
};

inline void writeFile(const std::string& path, const std::string& text) {
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (file) std::fwrite(text.data(), 1, text.size(), file.get());
}

}  // namespace kodra::bench
