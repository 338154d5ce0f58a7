#include "progress_line.h"

#include <cstdio>

#include "library_dialogs.h"
#include "printable_text.h"
#include "terminal.h"

namespace kodra::cli {

struct ProgressCallbacks {
    static void progress(void* context, long long done, long long total) {
        static_cast<ProgressLine*>(context)->update(done, total);
    }
};

namespace {

std::string mebibytes(double bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", bytes / (1024.0 * 1024.0));
    return text;
}

}  // namespace

ProgressLine::ProgressLine(std::string label) : label_(printable(label)), start_(Clock::now()) {
    if (!standardErrorIsTerminal()) return;
    installLibraryDialogs(&ProgressCallbacks::progress, this);
    installed_ = true;
}

ProgressLine::~ProgressLine() {
    if (!installed_) return;
    installLibraryDialogs();
    clear();
}

std::string ProgressLine::format(const std::string& label, long long done, long long total,
                                 double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    const long long percent = total > 0 ? done * 100 / total : 0;
    return label + ": " + mebibytes(static_cast<double>(done)) + " of " +
           mebibytes(static_cast<double>(total)) + " (" + std::to_string(percent) + "%), " +
           mebibytes(rate) + "/s";
}

void ProgressLine::update(long long done, long long total) {
    if (total < kMinimumTotal) return;
    const Clock::time_point now = Clock::now();
    // A few updates a second are enough to read; the final count always shows.
    if (shown_ && done < total && now - lastDrawn_ < std::chrono::milliseconds(200)) return;
    lastDrawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(stderr, "\r\033[K%s", format(label_, done, total, seconds).c_str());
    std::fflush(stderr);
    shown_ = true;
}

void ProgressLine::clear() {
    if (!shown_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    shown_ = false;
}

}  // namespace kodra::cli
