// What the tests need from the operating system beyond the standard library, for POSIX
// and for Windows (where the suite runs under Wine).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

// Leaves out, on Windows, a test that needs what only POSIX offers here: symbolic links
// made by any user, FIFOs, /dev/full, TZ rules read by the library, POSIX peer programs.
#ifdef _WIN32
#define KODRA_POSIX_ONLY(reason) GTEST_SKIP() << "POSIX only: " << (reason)
#else
#define KODRA_POSIX_ONLY(reason) static_cast<void>(0)
#endif

namespace kodra::testing {

// Creates a new, empty folder under the system's temporary folder, its name led by prefix.
inline std::filesystem::path makeTempFolder(const std::string& prefix) {
#ifdef _WIN32
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto path = std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) return path;
    }
    throw std::runtime_error("no temporary folder could be made");
#else
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
#endif
}

// A new, anonymous binary stream for reading and writing, removed when closed. On
// Windows the C runtime's tmpfile() names its files in the drive's root from a counter
// of its own, so test processes running side by side collide; a name in the temporary
// folder with the process id does not.
inline std::FILE* temporaryStream() {
#ifdef _WIN32
    static unsigned counter = 0;
    const std::wstring folder = std::filesystem::temp_directory_path().wstring();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring path = folder + L"\\kodra-stream-" + std::to_wstring(_getpid()) + L"-" +
                                  std::to_wstring(++counter) + L".tmp";
        const int descriptor =
            _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_TEMPORARY, _S_IREAD | _S_IWRITE);
        if (descriptor < 0) continue;
        if (std::FILE* stream = _fdopen(descriptor, "w+b")) return stream;
        _close(descriptor);
    }
    return nullptr;
#else
    return std::tmpfile();
#endif
}

// True when the file system lets this process write files that deny it writing (root on
// POSIX; on Windows the read-only attribute, not ownership, is what protects a file).
inline bool writesThroughPermissions() {
#ifdef _WIN32
    return true;
#else
    return geteuid() == 0;
#endif
}

// Sets the TZ variable for one scope and restores it after. The library reads TZ on POSIX
// only: Windows takes its zone from the system settings.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) saved_ = old, hadZone_ = true;
        set(zone);
    }
    ~TimeZoneScope() { set(hadZone_ ? saved_.c_str() : nullptr); }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    static void set(const char* zone) {
#ifdef _WIN32
        _putenv_s("TZ", zone ? zone : "");
        _tzset();
#else
        if (zone) setenv("TZ", zone, 1);
        else unsetenv("TZ");
        tzset();
#endif
    }

    std::string saved_;
    bool hadZone_ = false;
};

}  // namespace kodra::testing
