#include "kodra32.h"
#include "support/portable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

struct Want {
    int year, month, dayOfWeek, day, hour, minute, second;
};

std::string show(const KodraSystemTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u (dow %u) %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay,
                  t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

std::string show(const Want& w) {
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

TEST(DecodeMimeTime, Layouts) {
    struct Case {
        const char* name;
        const char* text;
        Want want;
    };
    const Case cases[] = {
        {"rfc 822 west zone", "Mon, 10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"rfc 822 east half-hour zone", "Mon, 10 Dec 2001 10:00:00 +0530", {2001, 12, 1, 10, 4, 30, 0}},
        {"named zone taken as utc", "Mon, 10 Dec 2001 10:00:00 GMT", {2001, 12, 1, 10, 10, 0, 0}},
        {"no seconds: time taken as utc", "Mon, 10 Dec 2001 10:00 -0500", {2001, 12, 1, 10, 10, 0, 0}},
        {"two-digit year 01", "Mon, 10 Dec 01 10:00:00 +0000", {2001, 12, 1, 10, 10, 0, 0}},
        {"two-digit year 69", "Mon, 10 Dec 69 10:00:00 +0000", {2069, 12, 2, 10, 10, 0, 0}},
        {"two-digit year 70", "Mon, 10 Dec 70 10:00:00 +0000", {1970, 12, 4, 10, 10, 0, 0}},
        {"rfc 850", "Monday, 10-Dec-01 10:00:00 GMT", {2001, 12, 1, 10, 10, 0, 0}},
        {"rfc 850 four-digit year", "Monday, 10-Dec-2001 23:59:59 -0100", {2001, 12, 2, 11, 0, 59, 59}},
        {"asctime", "Mon Dec 10 10:00:00 2001", {2001, 12, 1, 10, 10, 0, 0}},
        {"asctime without seconds: year 0 means 2000", "Sun Dec 10 10:00 2001", {2000, 12, 0, 10, 10, 0, 0}},
        {"blanks after the weekday", "Mon,    10 Dec 2001 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"zone crosses the year", "Mon, 31 Dec 2001 23:30:00 -0100", {2002, 1, 2, 1, 0, 30, 0}},
        {"four-digit 1969", "Wed, 31 Dec 1969 23:59:59 +0000", {1969, 12, 3, 31, 23, 59, 59}},
        {"leap day 2000", "Tue, 29 Feb 2000 12:00:00 +0000", {2000, 2, 2, 29, 12, 0, 0}},
        {"leap day 2024 reached by a zone", "Fri, 1 Mar 2024 01:00:00 +1400", {2024, 2, 4, 29, 11, 0, 0}},
        {"zone -1200", "Fri, 1 Mar 2024 13:00:00 -1200", {2024, 3, 6, 2, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        KodraSystemTime got{};
        EXPECT_EQ(DecodeMimeTime(c.text, &got, 0), 1) << c.name;
        EXPECT_EQ(show(got), show(c.want)) << c.name;
    }
}

TEST(DecodeMimeTime, TextsThatFormNoDate) {
    struct Case {
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {"no space", "Mon,10-Dec-2001"},
        {"empty", ""},
        {"unknown month", "Mon, 10 Dez 2001 10:00:00 +0000"},
        {"month with a dot", "Mon, 10 Dec. 2001 10:00:00 +0000"},
        {"lower-case month", "Mon, 10 dec 2001 10:00:00 +0000"},
        {"no weekday word: day is skipped", "10 Dec 2001 10:00:00 +0000"},
        {"one-digit day in dashed form", "Monday, 1-Dec-01 10:00:00 GMT"},
        {"day 32", "Mon, 32 Dec 2001 10:00:00 +0000"},
        {"hour 24", "Mon, 10 Dec 2001 24:00:00 +0000"},
        {"february 29 of a common year", "Thu, 29 Feb 2001 10:00:00 +0000"},
        {"year the platform cannot hold", "Mon, 10 Dec 1500 10:00:00 +0000"},
        {"huge numbers saturate", "Mon, 99999999999999999999 Dec 2001 10:00:00 +99999999999999"},
        {"huge zone pushes before 1601", "Mon, 1 Jan 1601 00:00:00 +2147483647"},
    };
    for (const Case& c : cases) {
        KodraSystemTime got;
        std::memset(&got, 0x5A, sizeof got);
        EXPECT_EQ(DecodeMimeTime(c.text, &got, 0), 0) << c.name;
        EXPECT_EQ(show(got), show(Want{0, 0, 0, 0, 0, 0, 0})) << c.name << ": the record is zero-filled";
    }
}

TEST(DecodeMimeTime, NullArgumentsAreRefused) {
    KodraSystemTime got{};
    EXPECT_EQ(DecodeMimeTime(nullptr, &got, 0), 0);
    EXPECT_EQ(DecodeMimeTime("Mon, 10 Dec 2001 10:00:00 -0500", nullptr, 0), 0);
}

TEST(DecodeMimeTime, LocalTimeUsesTheZoneOfTheMachine) {
    KODRA_POSIX_ONLY("the zone comes from TZ");
    KodraSystemTime winter{}, summer{};
    {
        const kodra::testing::TimeZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");  // Central European rules, written out
        EXPECT_EQ(DecodeMimeTime("Mon, 10 Dec 2001 10:00:00 -0500", &winter, 1), 1);
        EXPECT_EQ(DecodeMimeTime("Tue, 10 Jul 2001 10:00:00 -0500", &summer, 1), 1);
    }
    EXPECT_EQ(show(winter), show(Want{2001, 12, 1, 10, 16, 0, 0}));
    EXPECT_EQ(show(summer), show(Want{2001, 7, 2, 10, 17, 0, 0}));

    KodraSystemTime auckland{};
    {
        const kodra::testing::TimeZoneScope zone("NZST-12NZDT,M9.5.0,M4.1.0/3");  // southern hemisphere: summer in December
        EXPECT_EQ(DecodeMimeTime("Mon, 10 Dec 2001 10:00:00 +0000", &auckland, 1), 1);
    }
    EXPECT_EQ(show(auckland), show(Want{2001, 12, 1, 10, 23, 0, 0}));
}

}  // namespace
