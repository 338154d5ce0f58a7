// A progress line on standard error, fed by the library's progress callback while one
// long file job runs.
#pragma once

#include <chrono>
#include <string>

namespace kodra::cli {

class ProgressLine {
public:
    // Installs the progress callback when standard error is a terminal; label names the
    // job ("decoding mail.eml").
    explicit ProgressLine(std::string label);
    // Clears the line and stops the progress reports.
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Jobs smaller than this show no line.
    static constexpr long long kMinimumTotal = 8ll << 20;

    // Formats the line for done of total bytes after seconds; public for its own sake only.
    static std::string format(const std::string& label, long long done, long long total,
                              double seconds);

private:
    void update(long long done, long long total);
    void clear();

    using Clock = std::chrono::steady_clock;
    std::string label_;
    bool installed_ = false;
    bool shown_ = false;
    Clock::time_point start_;
    Clock::time_point lastDrawn_;

    friend struct ProgressCallbacks;
};

}  // namespace kodra::cli
