#include "kodra32.h"
#include "message/mime_time_want.h"
#include "support/portable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

using mime_time_test::show;
using mime_time_test::Want;

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
        {"no seconds", "Mon, 10 Dec 2001 10:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"two-digit year 01", "Mon, 10 Dec 01 10:00:00 +0000", {2001, 12, 1, 10, 10, 0, 0}},
        {"two-digit year 69", "Mon, 10 Dec 69 10:00:00 +0000", {2069, 12, 2, 10, 10, 0, 0}},
        {"two-digit year 70", "Mon, 10 Dec 70 10:00:00 +0000", {1970, 12, 4, 10, 10, 0, 0}},
        {"rfc 850", "Monday, 10-Dec-01 10:00:00 GMT", {2001, 12, 1, 10, 10, 0, 0}},
        {"rfc 850 four-digit year", "Monday, 10-Dec-2001 23:59:59 -0100", {2001, 12, 2, 11, 0, 59, 59}},
        {"asctime", "Mon Dec 10 10:00:00 2001", {2001, 12, 1, 10, 10, 0, 0}},
        {"asctime without seconds", "Mon Dec 10 10:00 2001", {2001, 12, 1, 10, 10, 0, 0}},
        {"no weekday", "10 Dec 2001 10:00:00 +0000", {2001, 12, 1, 10, 10, 0, 0}},
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

// RFC 5322, 4.3: the obsolete zones, weekday and seconds left out, two- and three-digit
// years, comments and folding blanks anywhere between the items.
TEST(DecodeMimeTime, ObsoleteForms) {
    struct Case {
        const char* name;
        const char* text;
        Want want;
    };
    const Case cases[] = {
        {"zone UT", "Mon, 10 Dec 2001 10:00:00 UT", {2001, 12, 1, 10, 10, 0, 0}},
        {"zone GMT", "Mon, 10 Dec 2001 10:00:00 GMT", {2001, 12, 1, 10, 10, 0, 0}},
        {"zone EST", "Mon, 10 Dec 2001 10:00:00 EST", {2001, 12, 1, 10, 15, 0, 0}},
        {"zone EDT", "Tue, 10 Jul 2001 10:00:00 EDT", {2001, 7, 2, 10, 14, 0, 0}},
        {"zone CST", "Mon, 10 Dec 2001 10:00:00 CST", {2001, 12, 1, 10, 16, 0, 0}},
        {"zone CDT", "Tue, 10 Jul 2001 10:00:00 CDT", {2001, 7, 2, 10, 15, 0, 0}},
        {"zone MST", "Mon, 10 Dec 2001 10:00:00 MST", {2001, 12, 1, 10, 17, 0, 0}},
        {"zone MDT", "Tue, 10 Jul 2001 10:00:00 MDT", {2001, 7, 2, 10, 16, 0, 0}},
        {"zone PST", "Mon, 10 Dec 2001 10:00:00 PST", {2001, 12, 1, 10, 18, 0, 0}},
        {"zone PDT", "Tue, 10 Jul 2001 10:00:00 PDT", {2001, 7, 2, 10, 17, 0, 0}},
        {"zone name in any case", "Mon, 10 Dec 2001 10:00:00 pSt", {2001, 12, 1, 10, 18, 0, 0}},
        {"zone PST crosses the day", "Mon, 10 Dec 2001 20:00:00 PST", {2001, 12, 2, 11, 4, 0, 0}},
        {"military Z", "Mon, 10 Dec 2001 10:00:00 Z", {2001, 12, 1, 10, 10, 0, 0}},
        {"military A is -0000", "Mon, 10 Dec 2001 10:00:00 A", {2001, 12, 1, 10, 10, 0, 0}},
        {"military M is -0000", "Mon, 10 Dec 2001 10:00:00 M", {2001, 12, 1, 10, 10, 0, 0}},
        {"military N is -0000", "Mon, 10 Dec 2001 10:00:00 N", {2001, 12, 1, 10, 10, 0, 0}},
        {"military y is -0000", "Mon, 10 Dec 2001 10:00:00 y", {2001, 12, 1, 10, 10, 0, 0}},
        {"unknown zone name is -0000", "Mon, 10 Dec 2001 10:00:00 CEST", {2001, 12, 1, 10, 10, 0, 0}},
        {"zone name in asctime", "Mon Dec 10 10:00:00 2001 EST", {2001, 12, 1, 10, 15, 0, 0}},
        {"zone name in rfc 850", "Monday, 10-Dec-01 10:00:00 PDT", {2001, 12, 1, 10, 17, 0, 0}},
        {"no weekday", "10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"no weekday, one-digit day, two-digit year", "1 Jan 02 10:00:00 +0000", {2002, 1, 2, 1, 10, 0, 0}},
        {"no weekday after blanks", "  10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"no weekday rfc 850", "10-Dec-01 10:00:00 EST", {2001, 12, 1, 10, 15, 0, 0}},
        {"no weekday, no seconds", "10 Dec 2001 10:00 EST", {2001, 12, 1, 10, 15, 0, 0}},
        {"no seconds", "Mon, 10 Dec 2001 23:30 -0100", {2001, 12, 2, 11, 0, 30, 0}},
        {"no seconds rfc 850", "Monday, 10-Dec-01 10:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"year 00", "Sun, 10 Dec 00 10:00:00 +0000", {2000, 12, 0, 10, 10, 0, 0}},
        {"year 49", "Fri, 10 Dec 49 10:00:00 +0000", {2049, 12, 5, 10, 10, 0, 0}},
        {"year 50", "Sun, 10 Dec 50 10:00:00 +0000", {2050, 12, 6, 10, 10, 0, 0}},
        {"year 70", "Wed, 10 Dec 70 10:00:00 +0000", {1970, 12, 4, 10, 10, 0, 0}},
        {"year 99", "Fri, 10 Dec 99 10:00:00 +0000", {1999, 12, 5, 10, 10, 0, 0}},
        {"three-digit year 101", "Mon, 10 Dec 101 10:00:00 +0000", {2001, 12, 1, 10, 10, 0, 0}},
        {"three-digit year 999", "Thu, 10 Dec 999 10:00:00 +0000", {2899, 12, 4, 10, 10, 0, 0}},
        {"three-digit year in rfc 850", "Monday, 10-Dec-101 10:00:00 GMT", {2001, 12, 1, 10, 10, 0, 0}},
        {"comment after the zone", "Mon, 10 Dec 2001 10:00:00 -0500 (EST)", {2001, 12, 1, 10, 15, 0, 0}},
        {"comments between every item",
         "(date) Mon (day) , (x) 10 (d) Dec (m) 2001 (y) 10 (h) : (x) 30 (min) : (x) 15 (s) -0500 (z)",
         {2001, 12, 1, 10, 15, 30, 15}},
        {"nested comment with a quoted parenthesis", "Mon, 10 Dec 2001 ((a) \\) b) 10:00:00 -0500",
         {2001, 12, 1, 10, 15, 0, 0}},
        {"unclosed comment ends the text", "Mon, 10 Dec 2001 10:00:00 (-0500", {2001, 12, 1, 10, 10, 0, 0}},
        {"folded with CR LF and tab", "Mon,\r\n\t10 Dec 2001\r\n 10:00:00\r\n -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"tab after the weekday", "Mon,\t10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"no blank after the comma", "Mon,10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"blank before the comma", "Mon , 10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"blank before the weekday", " Mon, 10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"weekday in capitals", "MON,\t10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"blanks around the colons", "Mon, 10 Dec 2001 10 : 30 : 15 +0100", {2001, 12, 1, 10, 9, 30, 15}},
    };
    for (const Case& c : cases) {
        KodraSystemTime got{};
        EXPECT_EQ(DecodeMimeTime(c.text, &got, 0), 1) << c.name;
        EXPECT_EQ(show(got), show(c.want)) << c.name << ": got " << show(got) << ", want " << show(c.want);
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
        {"one-digit day in dashed form", "Monday, 1-Dec-01 10:00:00 GMT"},
        {"day 32", "Mon, 32 Dec 2001 10:00:00 +0000"},
        {"hour 24", "Mon, 10 Dec 2001 24:00:00 +0000"},
        {"february 29 of a common year", "Thu, 29 Feb 2001 10:00:00 +0000"},
        {"year the platform cannot hold", "Mon, 10 Dec 1500 10:00:00 +0000"},
        {"huge numbers saturate", "Mon, 99999999999999999999 Dec 2001 10:00:00 +99999999999999"},
        {"huge zone pushes before 1601", "Mon, 1 Jan 1601 00:00:00 +2147483647"},
        {"no weekday, lower-case month", "10 dec 2001 10:00:00 +0000"},
        {"no weekday, month with a dot", "10 Dec. 2001 10:00:00 -0500"},
        {"weekday name unknown after a tab", "Mox,\t10 Dec 2001 10:00:00 -0500"},
        {"only a comment", "(Mon,\t10 Dec 2001 10:00:00 -0500)"},
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
