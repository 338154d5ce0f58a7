#include "message/mime_time_fields.h"

#include <cctype>
#include <cstring>
#include <limits>
#include <string_view>

namespace kodra {
namespace {

constexpr std::string_view kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view kDayNames[] = {"Mon",    "Tue",     "Wed",       "Thu",      "Fri",    "Sat",
                                          "Sun",    "Monday",  "Tuesday",   "Wednesday", "Thursday", "Friday",
                                          "Saturday", "Sunday"};

// RFC 5322, 4.3: the obsolete zone names with their offsets; any other name, the military
// letters included, means -0000.
struct ZoneName {
    std::string_view name;
    std::int32_t zone;
};
constexpr ZoneName kZoneNames[] = {{"EST", -500}, {"EDT", -400}, {"CST", -600}, {"CDT", -500},
                                   {"MST", -700}, {"MDT", -600}, {"PST", -800}, {"PDT", -700}};

// Words are cut after this many characters; the rest is the next item.
constexpr std::size_t kWordSize = 1024;

bool isBlank(char c) noexcept { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }
bool isLetter(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// 1 to 12 for a month name as the classic reading compares it (whole word, exact case), else 0.
int monthNumber(std::string_view word) noexcept {
    for (int i = 0; i < 12; ++i)
        if (word == kMonthNames[i]) return i + 1;
    return 0;
}

// A comment from its "(" on, nested ones and "\"-quoted characters included; an unclosed
// one runs to the end.
const char* skipComment(const char* at) noexcept {
    int depth = 0;
    for (; *at; ++at) {
        if (*at == '\\' && at[1]) ++at;
        else if (*at == '(') ++depth;
        else if (*at == ')' && --depth == 0) return at + 1;
    }
    return at;
}

// Reads the items of a date the way the C library's formatted input reads "%d", "%s" and
// ":" (numbers saturate instead of overflowing), with the gaps between items as `rules` says.
class FieldReader {
public:
    FieldReader(const char* text, DateRules rules) noexcept : at_(text), rules_(rules) {}

    bool number(std::int32_t& value) noexcept {
        skipGap();
        const char* p = at_;
        const bool negative = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        if (!isDigit(*p)) return false;
        std::int64_t magnitude = 0;
        for (; isDigit(*p); ++p)
            if (magnitude <= std::numeric_limits<std::int32_t>::max()) magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > std::numeric_limits<std::int32_t>::max()) magnitude = std::numeric_limits<std::int32_t>::max();
        value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
        at_ = p;
        return true;
    }

    // A run of characters up to a blank (or, under the obsolete rules, a comment), at most
    // kWordSize - 1 of them, copied with a NUL after it.
    bool word(char (&token)[kWordSize]) noexcept {
        skipGap();
        if (*at_ == '\0') return false;
        std::size_t length = 0;
        while (*at_ && !isBlank(*at_) && !(rules_ == DateRules::obsolete && *at_ == '(') && length < kWordSize - 1)
            token[length++] = *at_++;
        token[length] = '\0';
        return true;
    }

    bool month(int& value) noexcept {
        char token[kWordSize];
        if (!word(token)) return false;
        value = monthNumber(token);
        return true;
    }

    bool colon() noexcept {
        if (rules_ == DateRules::obsolete) skipGap();
        if (*at_ != ':') return false;
        ++at_;
        return true;
    }

    // The minute, then the seconds: the classic rules stop the reading without them.
    bool minuteAndSecond(DateFields& f) noexcept {
        if (!number(f.minute)) return false;
        if (colon()) return number(f.second);
        return rules_ == DateRules::obsolete;
    }

    // A number; under the obsolete rules else a zone name (or nothing), -0000 unless known.
    bool zone(std::int32_t& value) noexcept {
        if (number(value)) return true;
        if (rules_ == DateRules::classic) return false;
        const char* const start = at_;
        while (isLetter(*at_)) ++at_;
        const std::string_view name(start, static_cast<std::size_t>(at_ - start));
        for (const ZoneName& known : kZoneNames)
            if (equalsIgnoringCase(name, known.name)) value = known.zone;
        return !name.empty();
    }

private:
    void skipGap() noexcept {
        if (rules_ == DateRules::obsolete) {
            at_ = skipBlanksAndComments(at_);
            return;
        }
        while (isBlank(*at_)) ++at_;
    }

    const char* at_;
    DateRules rules_;
};

// asctime: "Dec 10 10:00:00 2001", a zone after the year.
void readNamedMonthLayout(FieldReader& in, DateFields& f) noexcept {
    (void)(in.month(f.month) && in.number(f.day) && in.number(f.hour) && in.colon() && in.minuteAndSecond(f) &&
           in.number(f.year) && in.zone(f.zone));
}

// RFC 850: "10-Dec-01 10:00:00 GMT".
void readDashedLayout(FieldReader& in, DateFields& f, DateRules rules) noexcept {
    char token[kWordSize] = {};
    (void)(in.word(token) && in.number(f.hour) && in.colon() && in.minuteAndSecond(f) && in.zone(f.zone));
    // "dd-Mon-yy": the day from the first two characters, the month from the 4th to 6th,
    // the year from the 8th on.
    const std::size_t length = std::strlen(token);
    char day[3] = {token[0], length > 1 ? token[1] : '\0', '\0'};
    FieldReader(day, rules).number(f.day);
    if (length > 3) f.month = monthNumber(std::string_view(token + 3, length - 3 < 3 ? length - 3 : 3));
    if (length > 7) FieldReader(token + 7, rules).number(f.year);
}

// RFC 822: "10 Dec 2001 10:00:00 -0500".
void readDayFirstLayout(FieldReader& in, DateFields& f) noexcept {
    (void)(in.number(f.day) && in.month(f.month) && in.number(f.year) && in.number(f.hour) && in.colon() &&
           in.minuteAndSecond(f) && in.zone(f.zone));
}

}  // namespace

const char* skipBlanksAndComments(const char* text) noexcept {
    for (;;) {
        while (isBlank(*text)) ++text;
        if (*text != '(') return text;
        text = skipComment(text);
    }
}

const char* skipWeekday(const char* text) noexcept {
    const char* at = skipBlanksAndComments(text);
    const char* const start = at;
    while (isLetter(*at)) ++at;
    const std::string_view name(start, static_cast<std::size_t>(at - start));
    bool known = false;
    for (const std::string_view day : kDayNames) known = known || equalsIgnoringCase(name, day);
    if (!known) return nullptr;
    at = skipBlanksAndComments(at);
    if (*at == ',') at = skipBlanksAndComments(at + 1);
    return at;
}

DateFields readDateFields(const char* text, DateRules rules) noexcept {
    DateFields fields;
    FieldReader in(text, rules);
    if (std::isalpha(static_cast<unsigned char>(text[0])) && static_cast<unsigned char>(text[0]) < 128)
        readNamedMonthLayout(in, fields);
    else if (text[0] && text[1] && text[2] == '-')
        readDashedLayout(in, fields, rules);
    else
        readDayFirstLayout(in, fields);
    return fields;
}

DateFields readDayFirstFields(const char* text, DateRules rules) noexcept {
    DateFields fields;
    FieldReader in(text, rules);
    readDayFirstLayout(in, fields);
    return fields;
}

}  // namespace kodra
