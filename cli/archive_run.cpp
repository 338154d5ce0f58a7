#include "archive_run.h"

#include <chrono>
#include <csignal>
#include <cstdio>

#include "exit_codes.h"
#include "file_checks.h"
#include "kodra32.h"
#include "terminal.h"

namespace kodra::cli {
namespace {

// An archive run's status when some record is not "decoded".
constexpr int kSomethingFailed = 1;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) { interrupted = 1; }

// Ctrl-C asks the run to stop while the guard lives; the default comes back after.
class InterruptGuard {
public:
    InterruptGuard() {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction previous_ {};
};

std::string mebibytes(long long bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

struct RunState {
    bool terminal = false;
    bool shown = false;
    bool printRecords = false;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point drawn;
};

void KODRA_CALL onRecord(void* context, const char* json, size_t size) {
    if (!static_cast<RunState*>(context)->printRecords) return;
    std::fwrite(json, 1, size, stdout);
    std::fputc('\n', stdout);
}

int KODRA_CALL onProgress(void* context, const KodraExtractProgress* progress) {
    auto& state = *static_cast<RunState*>(context);
    if (state.terminal) {
        const auto now = std::chrono::steady_clock::now();
        if (!state.shown || now - state.drawn >= std::chrono::milliseconds(200)) {
            state.drawn = now;
            const double seconds = std::chrono::duration<double>(now - state.start).count();
            std::fprintf(stderr, "\r\033[K%s",
                         extractProgressText(progress->messages, progress->bytesDone, progress->bytesTotal,
                                             progress->failures, seconds)
                             .c_str());
            std::fflush(stderr);
            state.shown = true;
        }
    }
    return interrupted ? 0 : 1;
}

}  // namespace

std::string extractProgressText(long long messages, long long done, long long total, long long failures,
                                double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    std::string text = std::to_string(messages) + " messages, " + mebibytes(done);
    if (total > 0) text += " of " + mebibytes(total);
    text += ", " + mebibytes(static_cast<long long>(rate)) + "/s";
    if (total > done && rate > 0) {
        const auto left = static_cast<long long>(static_cast<double>(total - done) / rate);
        char clock[32];
        std::snprintf(clock, sizeof clock, ", %lld:%02lld left", left / 60, left % 60);
        text += clock;
    }
    if (failures > 0) text += ", " + std::to_string(failures) + " failed";
    return text;
}

int runArchive(const ArchiveRunOptions& options) {
    KodraContext* context = KodraOpenContext();
    if (!context) {
        reportError("kodra", "memory is short");
        return kSomethingFailed;
    }
    std::vector<const char*> inputs;
    for (const std::string& input : options.inputs) inputs.push_back(input.c_str());
    RunState state;
    state.terminal = standardErrorIsTerminal();
    state.printRecords = options.printRecords;
    KodraExtractOptions extract{};
    extract.jobs = options.jobs;
    extract.byHash = options.byHash ? 1 : 0;
    extract.manifestPath = options.manifest.empty() ? nullptr : options.manifest.c_str();
    extract.resume = options.manifest.empty() ? 0 : 1;
    extract.context = &state;
    extract.record = onRecord;
    extract.progress = onProgress;
    int result;
    {
        InterruptGuard guard;
        result = KodraExtract(context, inputs.data(), static_cast<int>(inputs.size()),
                              options.outputFolder.empty() ? nullptr : options.outputFolder.c_str(), &extract);
    }
    KodraCloseContext(context);
    std::fflush(stdout);
    if (state.shown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    switch (result) {
        case 0: return kSuccess;
        case 1:
            reportError("kodra", "some parts or messages failed (see the records' status and reason)");
            return kSomethingFailed;
        case 2:
            reportError("kodra", "interrupted: the manifest holds the messages done; run again to resume");
            return kInterrupted;
        default:
            reportError(options.outputFolder.empty() ? std::string("kodra") : options.outputFolder,
                        "the output folder or the manifest cannot be made");
            return kSomethingFailed;
    }
}

}  // namespace kodra::cli
