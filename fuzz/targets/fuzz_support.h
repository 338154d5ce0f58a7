// Shared helpers of the fuzz targets: a sandbox folder for the file-reading entry points,
// a user interface that never waits for a person, and a hard failure for broken promises.
#pragma once

#include "kodra32.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

namespace kodra::fuzz {

// Stops the run with a message: libFuzzer (and the replay test) count the abort as a finding.
[[noreturn]] inline void fail(const char* what, const std::string& detail = std::string()) {
    std::fprintf(stderr, "fuzz check failed: %s %s\n", what, detail.c_str());
    std::abort();
}

inline void check(bool condition, const char* what, const std::string& detail = std::string()) {
    if (!condition) fail(what, detail);
}

// Answers every question "cancel"/"no" and declines the save chooser, so that no run waits
// on a terminal; counts the questions so that silent modes can be held to their word.
struct QuietInterface {
    static int& questions() {
        static int count = 0;
        return count;
    }
    static int KODRA_CALL messageBox(void*, void*, const char*, const char*, int buttons) {
        ++questions();
        return buttons == KODRA_MB_OK ? KODRA_IDOK : buttons == KODRA_MB_YESNO ? KODRA_IDNO : KODRA_IDCANCEL;
    }
    static void* KODRA_CALL activeWindow(void*) { return nullptr; }
    static int KODRA_CALL chooseSaveFile(void*, void*, char*, int) {
        ++questions();
        return 0;
    }
    static void KODRA_CALL progress(void*, long long, long long) {}

    static void install() {
        static const KodraUserInterface quiet{nullptr, &messageBox, &activeWindow, &chooseSaveFile, &progress};
        SetUserInterface(&quiet);
    }
};

// A private folder per process: root/ is the working directory, root/in/ holds the input.
// Anything appearing in root/ besides in/ was written outside the input's folder.
class Sandbox {
public:
    static Sandbox& instance() {
        static Sandbox sandbox;
        return sandbox;
    }

    const std::filesystem::path& root() const { return root_; }
    const std::filesystem::path& folder() const { return folder_; }
    std::string file(const char* name) const { return (folder_ / name).string(); }

    // Empties the input folder and writes data as name in it; returns the file's path.
    std::string writeInput(const char* name, const std::uint8_t* data, std::size_t size) {
        clear();
        const std::string path = file(name);
        std::FILE* out = std::fopen(path.c_str(), "wb");
        check(out != nullptr, "cannot create the input file", path);
        if (size) check(std::fwrite(data, 1, size, out) == size, "cannot write the input file", path);
        check(std::fclose(out) == 0, "cannot close the input file", path);
        return path;
    }

    // The names directly in the input folder.
    std::set<std::string> names() const {
        std::set<std::string> found;
        std::error_code error;
        for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error))
            found.insert(it->path().filename().string());
        return found;
    }

    // Fails unless root holds nothing but the input folder.
    void checkNothingOutside() const {
        std::error_code error;
        for (std::filesystem::directory_iterator it(root_, error), end; !error && it != end; it.increment(error))
            if (it->path().filename() != "in") fail("written outside the input folder:", it->path().string());
    }

    void clear() {
        std::error_code error;
        for (std::filesystem::directory_iterator it(root_, error), end; !error && it != end; it.increment(error))
            if (it->path().filename() != "in") std::filesystem::remove_all(it->path(), error);
        for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error))
            std::filesystem::remove_all(it->path(), error);
    }

private:
    Sandbox() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kodra-fuzz-XXXXXX").string();
        check(mkdtemp(pattern.data()) != nullptr, "mkdtemp failed");
        root_ = pattern;
        folder_ = root_ / "in";
        std::filesystem::create_directory(folder_);
        std::filesystem::current_path(root_);
        QuietInterface::install();
    }
    ~Sandbox() {
        std::error_code error;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), error);
        std::filesystem::remove_all(root_, error);
    }

    std::filesystem::path root_;
    std::filesystem::path folder_;
};

}  // namespace kodra::fuzz
