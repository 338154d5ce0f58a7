#include "message/mime_time.h"

#include "message/mime_time_fields.h"

#include <cctype>
#include <cstdint>
#include <cstring>

namespace kodra {
namespace {

bool isBlank(char c) noexcept { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

std::uint16_t low16(std::int32_t value) noexcept {
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
}

// The year a date means. Classic: a year below 100 after the cut to 16 bits is 2000-2069
// or 1970-1999. Obsolete, RFC 5322, 4.3, adds three-digit years (1900 added); two-digit
// years keep the classic window, which dates already stored with 50-69 rely on.
std::uint16_t civilYear(std::int32_t year, DateRules rules) noexcept {
    if (rules == DateRules::obsolete) {
        if (year >= 0 && year < 70) return low16(year + 2000);
        if (year >= 70 && year < 1000) return low16(year + 1900);
        return low16(year);
    }
    const std::uint16_t cut = low16(year);
    if (cut < 100) return static_cast<std::uint16_t>(cut + (cut < 70 ? 2000 : 1900));
    return cut;
}

// The date the fields give, in UTC or local time; false when they form none.
bool toCivilTime(const DateFields& fields, DateRules rules, bool toLocal, platform::CivilTime& record) noexcept {
    platform::CivilTime utc{};
    utc.year = civilYear(fields.year, rules);
    // 65535, a month no conversion accepts, when the text names none.
    utc.month = fields.month == 0 ? 65535 : static_cast<std::uint16_t>(fields.month);
    utc.day = low16(fields.day);
    utc.hour = low16(fields.hour);
    utc.minute = low16(fields.minute);
    utc.second = low16(fields.second);

    platform::Ticks ticks = 0;
    if (!platform::civilTimeToTicks(utc, ticks)) return false;
    // A zone of -0500 lies five hours behind UTC, so five hours are added.
    const std::int64_t zone = fields.zone;
    const std::int64_t magnitude = zone < 0 ? -zone : zone;
    const std::int64_t offsetSeconds = magnitude / 100 * 3600 + magnitude % 100 * 60;
    ticks -= (zone < 0 ? -offsetSeconds : offsetSeconds) * platform::kTicksPerSecond;
    if (toLocal && !platform::utcTicksToLocal(ticks, ticks)) return false;

    platform::CivilTime result{};
    if (!platform::ticksToCivilTime(ticks, result) || result.year == 0) return false;
    record = result;
    return true;
}

}  // namespace

int decodeMimeTime(const char* text, platform::CivilTime& record, bool toLocal) noexcept {
    record = platform::CivilTime{};
    const auto produced = [&](const DateFields& fields, DateRules rules) {
        return toCivilTime(fields, rules, toLocal, record);
    };
    // Without a weekday the text begins with the day.
    const char* const start = skipBlanksAndComments(text);
    if (isDigit(*start) && produced(readDateFields(start, DateRules::obsolete), DateRules::obsolete)) return 1;
    // The classic reading skips the text up to its first space as the weekday.
    const char* rest = std::strchr(text, ' ');
    if (rest) {
        ++rest;
        while (isBlank(*rest)) ++rest;
    }
    if (rest && produced(readDateFields(rest, DateRules::obsolete), DateRules::obsolete)) return 1;
    // A weekday followed by other blanks than one space, or by comments.
    if (const char* afterWeekday = skipWeekday(text);
        afterWeekday && produced(readDayFirstFields(afterWeekday, DateRules::obsolete), DateRules::obsolete))
        return 1;
    // What the widened reading does not take, the classic one reads as it always did.
    if (rest && produced(readDateFields(rest, DateRules::classic), DateRules::classic)) return 1;
    return 0;
}

}  // namespace kodra
