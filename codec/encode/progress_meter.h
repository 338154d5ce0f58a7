// Progress of a long file job, handed to the host's progress callback every few MiB.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kodra {

class ProgressMeter {
public:
    // Bytes between two reports.
    static constexpr std::uint64_t kReportStep = 4u << 20;

    explicit ProgressMeter(std::uint64_t total) noexcept : total_(total) {}

    // Counts bytes done and reports whenever another step has been completed.
    void advance(std::uint64_t bytes) noexcept;

    // Reports the final count once the job is complete.
    void finish() noexcept;

private:
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    std::uint64_t nextReport_ = kReportStep;
};

}  // namespace kodra
