#include "encode/progress_meter.h"

#include "frame/context.h"
#include "platform/platform.h"

namespace kodra {

void ProgressMeter::advance(std::uint64_t bytes) noexcept {
    done_ += bytes;
    if (done_ < nextReport_) return;
    // A file that grew while it was read must not report more done than in all.
    if (done_ > total_) total_ = done_;
    defaultContext().ui.reportProgress(done_, total_);
    nextReport_ = done_ + kReportStep;
}

void ProgressMeter::finish() noexcept {
    if (done_ > total_) total_ = done_;
    defaultContext().ui.reportProgress(done_, total_);
}

}  // namespace kodra
