// Civil time to 1601-based ticks and back, with the same validation the
// system's own conversion applies.
#include "platform.h"

namespace kodra::platform {
namespace {

constexpr bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int daysInMonth(int year, int month) {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr std::int64_t kDays1601To1970 = -daysFromCivil(1601, 1, 1);
static_assert(kDays1601To1970 == 134774, "1601 epoch offset");

constexpr Ticks kTicksPerDay = kTicksPerSecond * 86400;

}  // namespace

bool civilTimeToTicks(const CivilTime& t, Ticks& ticks) noexcept {
    if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > daysInMonth(t.year, t.month) || t.hour >= 24 || t.minute >= 60 ||
        t.second >= 60 || t.milliseconds >= 1000)
        return false;
    const std::int64_t days = daysFromCivil(t.year, t.month, t.day) + kDays1601To1970;
    const std::int64_t seconds = t.hour * 3600 + t.minute * 60 + t.second;
    ticks = days * kTicksPerDay + seconds * kTicksPerSecond + t.milliseconds * 10'000;
    return true;
}

bool ticksToCivilTime(Ticks ticks, CivilTime& t) noexcept {
    if (ticks < 0) return false;
    const std::int64_t days1601 = ticks / kTicksPerDay;
    const std::int64_t rest = ticks % kTicksPerDay;
    // Civil date from days since 1970 (inverse of daysFromCivil).
    const std::int64_t z = days1601 - kDays1601To1970 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2);
    if (year > 30827) return false;
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    t.dayOfWeek = static_cast<std::uint16_t>((days1601 + 1) % 7);  // 1601-01-01 was a Monday
    const std::int64_t seconds = rest / kTicksPerSecond;
    t.hour = static_cast<std::uint16_t>(seconds / 3600);
    t.minute = static_cast<std::uint16_t>(seconds / 60 % 60);
    t.second = static_cast<std::uint16_t>(seconds % 60);
    t.milliseconds = static_cast<std::uint16_t>(rest % kTicksPerSecond / 10'000);
    return true;
}

}  // namespace kodra::platform
