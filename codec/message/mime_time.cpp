#include "message/mime_time.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <limits>

namespace kodra {
namespace {

constexpr const char* monthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::size_t kTokenSize = 1024;

bool isBlank(char c) noexcept { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// Reads items the way the C library's formatted input does with "%d", "%s", " " and
// ":", but without its undefined behaviour on numbers that overflow: they saturate.
class FormattedReader {
public:
    explicit FormattedReader(const char* text) noexcept : at_(text) {}

    bool number(std::int32_t& value) noexcept {
        skipBlanks();
        const char* p = at_;
        const bool negative = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        if (!isDigit(*p)) return false;
        std::int64_t magnitude = 0;
        for (; isDigit(*p); ++p)
            if (magnitude <= std::numeric_limits<std::int32_t>::max())
                magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > std::numeric_limits<std::int32_t>::max())
            magnitude = std::numeric_limits<std::int32_t>::max();
        value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
        at_ = p;
        return true;
    }

    bool word(char* token) noexcept {
        skipBlanks();
        if (*at_ == '\0') return false;
        std::size_t length = 0;
        while (*at_ && !isBlank(*at_) && length < kTokenSize - 1) token[length++] = *at_++;
        token[length] = '\0';
        return true;
    }

    bool literal(char c) noexcept {
        if (*at_ != c) return false;
        ++at_;
        return true;
    }

private:
    void skipBlanks() noexcept {
        while (isBlank(*at_)) ++at_;
    }
    const char* at_;
};

struct DateFields {
    std::int32_t day = 0, year = 0, hour = 0, minute = 0, second = 0, zone = 0;
    char month[kTokenSize] = {};
};

void readNamedMonthLayout(FormattedReader& in, DateFields& f) noexcept {  // asctime
    (void)(in.word(f.month) && in.number(f.day) && in.number(f.hour) && in.literal(':') &&
           in.number(f.minute) && in.literal(':') && in.number(f.second) && in.number(f.year) &&
           in.number(f.zone));
}

void readDashedLayout(FormattedReader& in, DateFields& f) noexcept {  // RFC 850
    char token[kTokenSize] = {};
    (void)(in.word(token) && in.number(f.hour) && in.literal(':') && in.number(f.minute) &&
           in.literal(':') && in.number(f.second) && in.number(f.zone));
    // "dd-Mon-yy": the day from the first two characters, the month from the 4th to 6th,
    // the year from the 8th on.
    const std::size_t length = std::strlen(token);
    char day[3] = {token[0], length > 1 ? token[1] : '\0', '\0'};
    FormattedReader(day).number(f.day);
    if (length > 3) {
        const std::size_t monthLength = length - 3 < 3 ? length - 3 : 3;
        std::memcpy(f.month, token + 3, monthLength);
        f.month[monthLength] = '\0';
    }
    if (length > 7) FormattedReader(token + 7).number(f.year);
}

void readDayFirstLayout(FormattedReader& in, DateFields& f) noexcept {  // RFC 822
    (void)(in.number(f.day) && in.word(f.month) && in.number(f.year) && in.number(f.hour) &&
           in.literal(':') && in.number(f.minute) && in.literal(':') && in.number(f.second) &&
           in.number(f.zone));
}

std::uint16_t low16(std::int32_t value) noexcept {
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
}

}  // namespace

int decodeMimeTime(const char* text, platform::CivilTime& record, bool toLocal) noexcept {
    record = platform::CivilTime{};
    const char* space = std::strchr(text, ' ');
    if (!space) return 0;
    const char* rest = space + 1;
    while (isBlank(*rest)) ++rest;

    DateFields fields;
    FormattedReader in(rest);
    if (std::isalpha(static_cast<unsigned char>(rest[0])) && static_cast<unsigned char>(rest[0]) < 128)
        readNamedMonthLayout(in, fields);
    else if (rest[0] && rest[1] && rest[2] == '-')
        readDashedLayout(in, fields);
    else
        readDayFirstLayout(in, fields);

    platform::CivilTime utc{};
    utc.year = low16(fields.year);
    if (utc.year < 100) utc.year = static_cast<std::uint16_t>(utc.year + (utc.year < 70 ? 2000 : 1900));
    utc.month = 65535;  // no conversion accepts it
    for (std::uint16_t i = 0; i < 12; ++i)
        if (std::strcmp(fields.month, monthNames[i]) == 0) utc.month = static_cast<std::uint16_t>(i + 1);
    utc.day = low16(fields.day);
    utc.hour = low16(fields.hour);
    utc.minute = low16(fields.minute);
    utc.second = low16(fields.second);

    platform::Ticks ticks = 0;
    if (!platform::civilTimeToTicks(utc, ticks)) return 0;
    // A zone of -0500 lies five hours behind UTC, so five hours are added.
    const std::int64_t zone = fields.zone;
    const std::int64_t magnitude = zone < 0 ? -zone : zone;
    const std::int64_t offsetSeconds = magnitude / 100 * 3600 + magnitude % 100 * 60;
    ticks -= (zone < 0 ? -offsetSeconds : offsetSeconds) * platform::kTicksPerSecond;
    if (toLocal && !platform::utcTicksToLocal(ticks, ticks)) return 0;

    platform::CivilTime result{};
    if (!platform::ticksToCivilTime(ticks, result)) return 0;
    record = result;
    return record.year != 0 ? 1 : 0;
}

}  // namespace kodra
