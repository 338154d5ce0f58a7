// The date a DecodeMimeTime test expects, and both it and a result as text for messages.
#pragma once

#include "kodra32.h"

#include <cstdio>
#include <string>

namespace mime_time_test {

struct Want {
    int year, month, dayOfWeek, day, hour, minute, second;
};

inline std::string show(const KodraSystemTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u (dow %u) %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay,
                  t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

inline std::string show(const Want& w) {
    KodraSystemTime t{};
    t.wYear = static_cast<unsigned short>(w.year);
    t.wMonth = static_cast<unsigned short>(w.month);
    t.wDayOfWeek = static_cast<unsigned short>(w.dayOfWeek);
    t.wDay = static_cast<unsigned short>(w.day);
    t.wHour = static_cast<unsigned short>(w.hour);
    t.wMinute = static_cast<unsigned short>(w.minute);
    t.wSecond = static_cast<unsigned short>(w.second);
    return show(t);
}

}  // namespace mime_time_test
