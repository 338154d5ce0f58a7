// Local time on Windows: the time-zone rules in force at the instant itself, so that a
// winter date read in summer gets the winter offset.
#include "platform.h"

#include <windows.h>

namespace kodra::platform {
namespace {

FILETIME toFileTime(Ticks ticks) noexcept {
    const auto value = static_cast<std::uint64_t>(ticks);
    FILETIME time{};
    time.dwLowDateTime = static_cast<DWORD>(value & 0xffffffffu);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

Ticks toTicks(const FILETIME& time) noexcept {
    return static_cast<Ticks>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                              time.dwLowDateTime);
}

}  // namespace

bool utcTicksToLocal(Ticks utc, Ticks& local) noexcept {
    if (utc < 0) return false;
    const FILETIME utcTime = toFileTime(utc);
    SYSTEMTIME utcParts{};
    SYSTEMTIME localParts{};
    FILETIME localTime{};
    if (!FileTimeToSystemTime(&utcTime, &utcParts) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &localParts) ||
        !SystemTimeToFileTime(&localParts, &localTime))
        return false;
    // SYSTEMTIME keeps milliseconds only: carry the finer ticks over unchanged.
    local = toTicks(localTime) + utc % 10'000;
    return local >= 0;
}

}  // namespace kodra::platform
