#include "platform/platform.h"
#include "support/portable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace kodra::platform {
namespace {

CivilTime civil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    CivilTime t{};
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    t.hour = static_cast<std::uint16_t>(hour);
    t.minute = static_cast<std::uint16_t>(minute);
    t.second = static_cast<std::uint16_t>(second);
    return t;
}

TEST(CivilTime, KnownInstants) {
    struct Case {
        const char* name;
        CivilTime time;
        Ticks want;
    };
    const Case cases[] = {
        {"epoch", civil(1601, 1, 1), 0},
        {"unix epoch", civil(1970, 1, 1), 116444736000000000},
        {"2001-12-10 15:00", civil(2001, 12, 10, 15), 126524700000000000},
        {"leap day 2000", civil(2000, 2, 29, 12), 125962992000000000},
    };
    for (const Case& c : cases) {
        Ticks ticks = -1;
        ASSERT_TRUE(civilTimeToTicks(c.time, ticks)) << c.name;
        EXPECT_EQ(ticks, c.want) << c.name;
        CivilTime back{};
        ASSERT_TRUE(ticksToCivilTime(ticks, back)) << c.name;
        EXPECT_EQ(back.year, c.time.year) << c.name;
        EXPECT_EQ(back.month, c.time.month) << c.name;
        EXPECT_EQ(back.day, c.time.day) << c.name;
        EXPECT_EQ(back.hour, c.time.hour) << c.name;
    }
}

TEST(CivilTime, DayOfWeek) {
    struct Case {
        const char* name;
        CivilTime time;
        int want;
    };
    const Case cases[] = {
        {"1601-01-01 was a Monday", civil(1601, 1, 1), 1},
        {"2001-12-10 was a Monday", civil(2001, 12, 10, 15), 1},
        {"1970-01-01 was a Thursday", civil(1970, 1, 1), 4},
        {"2026-12-06 is a Sunday", civil(2026, 12, 6), 0},
    };
    for (const Case& c : cases) {
        Ticks ticks = 0;
        ASSERT_TRUE(civilTimeToTicks(c.time, ticks));
        CivilTime back{};
        ASSERT_TRUE(ticksToCivilTime(ticks, back));
        EXPECT_EQ(back.dayOfWeek, c.want) << c.name;
    }
}

TEST(CivilTime, RejectsFieldsThatFormNoDate) {
    struct Case {
        const char* name;
        CivilTime time;
    };
    const Case cases[] = {
        {"year before 1601", civil(1600, 12, 31)},
        {"year after 30827", civil(30828, 1, 1)},
        {"month 0", civil(2001, 0, 1)},
        {"month 13", civil(2001, 13, 1)},
        {"unmatched month marker", civil(2001, 65535, 1)},
        {"day 0", civil(2001, 1, 0)},
        {"February 29 of a common year", civil(2001, 2, 29)},
        {"February 29 of 1900", civil(1900, 2, 29)},
        {"April 31", civil(2001, 4, 31)},
        {"hour 24", civil(2001, 1, 1, 24)},
        {"minute 60", civil(2001, 1, 1, 0, 60)},
        {"second 60", civil(2001, 1, 1, 0, 0, 60)},
    };
    for (const Case& c : cases) {
        Ticks ticks = 0;
        EXPECT_FALSE(civilTimeToTicks(c.time, ticks)) << c.name;
    }
}

TEST(CivilTime, EveryDayOfFourCenturiesRoundTrips) {
    Ticks ticks = 0;
    ASSERT_TRUE(civilTimeToTicks(civil(1601, 1, 1), ticks));
    const Ticks day = kTicksPerSecond * 86400;
    int previousDay = 0;
    for (int i = 0; i < 146097 + 10; ++i, ticks += day) {
        CivilTime t{};
        ASSERT_TRUE(ticksToCivilTime(ticks, t));
        Ticks again = 0;
        ASSERT_TRUE(civilTimeToTicks(t, again)) << i;
        ASSERT_EQ(again, ticks) << i;
        ASSERT_TRUE(t.day == previousDay + 1 || t.day == 1) << i;
        previousDay = t.day;
    }
}

TEST(LocalTime, FollowsTheZoneRulesOfTheInstant) {
    KODRA_POSIX_ONLY("the zone comes from TZ");
    // US Eastern rules written out, so no time-zone database is needed.
    const kodra::testing::TimeZoneScope zone("EST5EDT,M3.2.0,M11.1.0");
    struct Case {
        const char* name;
        CivilTime utc;
        int wantHour;
    };
    const Case cases[] = {
        {"winter", civil(2001, 12, 10, 15), 10},
        {"summer", civil(2001, 7, 10, 15), 11},
    };
    for (const Case& c : cases) {
        Ticks utc = 0, local = 0;
        ASSERT_TRUE(civilTimeToTicks(c.utc, utc));
        ASSERT_TRUE(utcTicksToLocal(utc, local));
        CivilTime t{};
        ASSERT_TRUE(ticksToCivilTime(local, t));
        EXPECT_EQ(t.hour, c.wantHour) << c.name;
    }
}

}  // namespace
}  // namespace kodra::platform
