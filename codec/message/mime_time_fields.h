// The fields of a mail or news date, read from its text in the layout its start picks.
#pragma once

#include <cstdint>

namespace kodra {

// How the items of a date are read.
enum class DateRules {
    // As DecodeMimeTime always read them: blanks between items, ":" right after the number
    // before it, a time without seconds ends the reading, a zone other than a number is
    // +0000.
    classic,
    // The classic reading widened by RFC 5322, 4.3: comments and folding blanks between
    // items and around ":", seconds optional, the obsolete zone names.
    obsolete,
};

// The numbers as the text gives them (saturated to 32 bits); items not reached stay zero.
struct DateFields {
    std::int32_t day = 0;
    int month = 0;  // 1 to 12; 0 when the text names none of "Jan" to "Dec"
    std::int32_t year = 0;
    std::int32_t hour = 0, minute = 0, second = 0;
    std::int32_t zone = 0;  // as written: -0500 is -500
};

// Reads the date that begins at `text` (the text after its weekday word) in the layout its
// first characters pick: a letter, asctime ("Dec 10 10:00:00 2001"); "dd-", RFC 850
// ("10-Dec-01 10:00:00 GMT"); else RFC 822 ("10 Dec 2001 10:00:00 -0500").
DateFields readDateFields(const char* text, DateRules rules) noexcept;

// Reads the date at `text` in the RFC 822 layout whatever it begins with.
DateFields readDayFirstFields(const char* text, DateRules rules) noexcept;

// The text after the blanks and comments at `text`.
const char* skipBlanksAndComments(const char* text) noexcept;

// The text after the blanks and comments at `text`, the weekday name after them ("Mon",
// "Monday", any case) and the blanks, comments and one "," after it; null when no weekday
// name stands there.
const char* skipWeekday(const char* text) noexcept;

}  // namespace kodra
