// Helpers of the hostile-input tests: a sandbox whose root must stay empty but for the
// input's folder, calls run in a child process (memory and hang guard), and a quiet user
// interface so that no test waits on a terminal.
#pragma once

#include "kodra32.h"
#include "support/temp_folder.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace kodra::testing {

// root/ with the input folder root/in/; anything else appearing in root/ was written
// outside the input's folder.
class HostileSandbox {
public:
    HostileSandbox() { std::filesystem::create_directory(folder()); }
    std::filesystem::path folder() const { return root_.path() / "in"; }
    std::string file(const std::string& name) const { return (folder() / name).string(); }
    const std::filesystem::path& root() const { return root_.path(); }

    // Names of everything in root/ besides the input folder.
    std::set<std::string> outside() const {
        std::set<std::string> names = root_.names();
        names.erase("in");
        return names;
    }
    // Names in the input folder.
    std::set<std::string> inside() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder()))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    TempFolder root_;
};

// What a child process reported: its exit code (or -signal) and its peak memory in KiB.
struct ChildOutcome {
    int status = 0;
    long peakKib = 0;
};

// Runs job in a child process with the given file-size limit (0: none) and a hang guard
// of a generous number of seconds; the job's result becomes the exit code (0 to 255).
inline ChildOutcome runInChild(const std::function<int()>& job, rlim_t fileSizeLimit = 0, unsigned guard = 300) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // a full file system shows as failed writes
        if (fileSizeLimit) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        alarm(guard);
        _exit(job() & 0xff);
    }
    ChildOutcome outcome;
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        outcome.status = -1000;
        return outcome;
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    outcome.peakKib = usage.ru_maxrss;
    return outcome;
}

// Current resident memory of this process in KiB (from /proc; 0 when unknown).
inline long residentKib() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld", &kib) == 1) break;
    std::fclose(status);
    return kib;
}

// Answers every question "cancel" or "no" and declines the chooser.
inline void installQuietInterface() {
    static const KodraUserInterface quiet{
        nullptr,
        [](void*, void*, const char*, const char*, int buttons) KODRA_CALL {
            return buttons == KODRA_MB_OK ? KODRA_IDOK : buttons == KODRA_MB_YESNO ? KODRA_IDNO : KODRA_IDCANCEL;
        },
        [](void*) KODRA_CALL -> void* { return nullptr; },
        [](void*, void*, char*, int) KODRA_CALL { return 0; },
        [](void*, long long, long long) KODRA_CALL {}};
    SetUserInterface(&quiet);
}

}  // namespace kodra::testing
