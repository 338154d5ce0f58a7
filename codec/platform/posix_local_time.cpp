// Local time on POSIX: the zone rules (TZ or /etc/localtime) in force at the instant.
#include "platform.h"

#include <ctime>

namespace kodra::platform {
namespace {

// Seconds from 1601-01-01 to the Unix epoch.
constexpr std::int64_t kEpochOffsetSeconds = 11'644'473'600;

}  // namespace

bool utcTicksToLocal(Ticks utc, Ticks& local) noexcept {
    if (utc < 0) return false;
    const std::time_t seconds =
        static_cast<std::time_t>(utc / kTicksPerSecond - kEpochOffsetSeconds);
    tzset();
    std::tm parts{};
    if (!localtime_r(&seconds, &parts)) return false;
    local = utc + static_cast<Ticks>(parts.tm_gmtoff) * kTicksPerSecond;
    return local >= 0;
}

}  // namespace kodra::platform
