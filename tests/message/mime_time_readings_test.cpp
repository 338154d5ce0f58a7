// DecodeMimeTime on a wide set of texts, odd ones included: those the obsolete forms of
// RFC 5322, 4.3 do not concern keep the reading the library has always given them; those
// they do concern are read anew, each shown with its reading before.
#include "kodra32.h"
#include "message/mime_time_want.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using mime_time_test::show;
using mime_time_test::Want;

constexpr Want kNoDate{0, 0, 0, 0, 0, 0, 0};

bool isNoDate(const Want& w) { return std::memcmp(&w, &kNoDate, sizeof w) == 0; }

struct Case {
    const char* name;
    const char* text;
    Want want;  // kNoDate: no date is produced
};

void expectReadings(const Case* cases, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const Case& c = cases[i];
        KodraSystemTime got;
        std::memset(&got, 0x5A, sizeof got);
        const int produced = DecodeMimeTime(c.text, &got, 0);
        const int wantProduced = isNoDate(c.want) ? 0 : 1;
        EXPECT_EQ(produced, wantProduced) << c.name << ": got " << produced << ", want " << wantProduced;
        EXPECT_EQ(show(got), show(c.want)) << c.name << ": got " << show(got) << ", want " << show(c.want);
    }
}

TEST(DecodeMimeTimeReadings, TextsKeepTheirReading) {
    const Case cases[] = {
        {"year 50 keeps the classic window", "Sun, 10 Dec 50 10:00:00 +0000", {2050, 12, 6, 10, 10, 0, 0}},
        {"year 69 keeps the classic window", "Wed, 10 Dec 69 10:00:00 +0000", {2069, 12, 2, 10, 10, 0, 0}},
        {"year 0069", "Wed, 10 Dec 0069 10:00:00 +0000", {2069, 12, 2, 10, 10, 0, 0}},
        {"rfc 850 year 69", "Wednesday, 10-Dec-69 10:00:00 GMT", {2069, 12, 2, 10, 10, 0, 0}},
        {"rfc 822", "Mon, 10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"no comma after the weekday", "Mon 10 Dec 2001 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"full weekday name", "Monday, 10 Dec 2001 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"any word as weekday", "Foo, 10 Dec 2001 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"a single letter as weekday", "X 10 Dec 2001 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"a number as weekday", "5 10 Dec 2001 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"a year as weekday", "2001 10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"blanks after the weekday", "Mon,    10 Dec 2001 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"folded after the weekday", "Mon,\r\n 10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"tabs between the fields", "Mon, 10\tDec\t2001\t10:00:00\t-0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"leading blank and no weekday", " 10 Dec 2001 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"no time: midnight", "Mon, 10 Dec 2001", {2001, 12, 1, 10, 0, 0, 0}},
        {"hour only", "Mon, 10 Dec 2001 10", {2001, 12, 1, 10, 10, 0, 0}},
        {"one-digit time fields", "Mon, 10 Dec 2001 1:2:3 +0100", {2001, 12, 1, 10, 0, 2, 3}},
        {"single zeros", "Mon, 10 Dec 2001 10:0:0 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"no zone", "Mon, 10 Dec 2001 10:00:00", {2001, 12, 1, 10, 10, 0, 0}},
        {"fraction of a second", "Mon, 10 Dec 2001 10:00:00.5 +0100", {2001, 12, 1, 10, 10, 0, 0}},
        {"four time fields", "Mon, 10 Dec 2001 10:00:00:00 +0100", {2001, 12, 1, 10, 10, 0, 0}},
        {"trailing CR LF", "Mon, 10 Dec 2001 10:00:00 +0100\r\n", {2001, 12, 1, 10, 9, 0, 0}},
        {"words after the zone", "Mon, 10 Dec 2001 10:00:00 -0500 junk words here", {2001, 12, 1, 10, 15, 0, 0}},
        {"second zone ignored", "Mon, 10 Dec 2001 10:00:00 +0000 +0100", {2001, 12, 1, 10, 10, 0, 0}},
        {"zone comment after", "Mon, 10 Dec 2001 10:00:00 -0500 (EST)", {2001, 12, 1, 10, 15, 0, 0}},
        {"zone glued to words", "Mon, 10 Dec 2001 10:00:00 +0100junk", {2001, 12, 1, 10, 9, 0, 0}},
        {"zone UTC", "Mon, 10 Dec 2001 10:00:00 UTC", {2001, 12, 1, 10, 10, 0, 0}},
        {"zone UT", "Mon, 10 Dec 2001 10:00:00 UT", {2001, 12, 1, 10, 10, 0, 0}},
        {"zone GMT", "Mon, 10 Dec 2001 10:00:00 GMT", {2001, 12, 1, 10, 10, 0, 0}},
        {"military Z", "Mon, 10 Dec 2001 10:00:00 Z", {2001, 12, 1, 10, 10, 0, 0}},
        {"military A", "Mon, 10 Dec 2001 10:00:00 A", {2001, 12, 1, 10, 10, 0, 0}},
        {"military M", "Mon, 10 Dec 2001 10:00:00 M", {2001, 12, 1, 10, 10, 0, 0}},
        {"military N", "Mon, 10 Dec 2001 10:00:00 N", {2001, 12, 1, 10, 10, 0, 0}},
        {"military Y", "Mon, 10 Dec 2001 10:00:00 Y", {2001, 12, 1, 10, 10, 0, 0}},
        {"letter J", "Mon, 10 Dec 2001 10:00:00 J", {2001, 12, 1, 10, 10, 0, 0}},
        {"unknown zone word", "Mon, 10 Dec 2001 10:00:00 junk", {2001, 12, 1, 10, 10, 0, 0}},
        {"one-digit zone is minutes", "Mon, 10 Dec 2001 10:00:00 -5", {2001, 12, 1, 10, 10, 5, 0}},
        {"zone +1 is a minute", "Mon, 10 Dec 2001 10:00:00 +1", {2001, 12, 1, 10, 9, 59, 0}},
        {"zone without sign", "Mon, 10 Dec 2001 10:00:00 0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"zone minutes past 59", "Mon, 10 Dec 2001 10:00:00 +0099", {2001, 12, 1, 10, 8, 21, 0}},
        {"zone +9999", "Mon, 10 Dec 2001 10:00:00 +9999", {2001, 12, 4, 6, 5, 21, 0}},
        {"zone -9959", "Mon, 10 Dec 2001 10:00:00 -9959", {2001, 12, 5, 14, 13, 59, 0}},
        {"zone -0000", "Mon, 10 Dec 2001 10:00:00 -0000", {2001, 12, 1, 10, 10, 0, 0}},
        {"zone with two signs", "Mon, 10 Dec 2001 10:00:00 --0500", {2001, 12, 1, 10, 10, 0, 0}},
        {"zone with mixed signs", "Mon, 10 Dec 2001 10:00:00 +-0500", {2001, 12, 1, 10, 10, 0, 0}},
        {"zone of eight digits", "Mon, 10 Dec 2001 10:00:00 +00000100", {2001, 12, 1, 10, 9, 0, 0}},
        {"zone +2400", "Mon, 10 Dec 2001 10:00:00 +2400", {2001, 12, 0, 9, 10, 0, 0}},
        {"day 01", "Mon, 01 Dec 2001 10:00:00 +0000", {2001, 12, 6, 1, 10, 0, 0}},
        {"day 010", "Mon, 010 Dec 2001 10:00:00 +0000", {2001, 12, 1, 10, 10, 0, 0}},
        {"day 1", "Sat, 1 Dec 2001 10:00:00 +0000", {2001, 12, 6, 1, 10, 0, 0}},
        {"day 0", "Mon, 0 Dec 2001 10:00:00 +0000", kNoDate},
        {"negative day", "Mon, -10 Dec 2001 10:00:00 +0000", kNoDate},
        {"year 00", "Sun, 10 Dec 00 10:00:00 +0000", {2000, 12, 0, 10, 10, 0, 0}},
        {"year 49", "Fri, 10 Dec 49 10:00:00 +0000", {2049, 12, 5, 10, 10, 0, 0}},
        {"year 70", "Thu, 10 Dec 70 10:00:00 +0000", {1970, 12, 4, 10, 10, 0, 0}},
        {"year 99", "Fri, 10 Dec 99 10:00:00 +0000", {1999, 12, 5, 10, 10, 0, 0}},
        {"year 049", "Fri, 10 Dec 049 10:00:00 +0000", {2049, 12, 5, 10, 10, 0, 0}},
        {"year 1601", "Mon, 10 Dec 1601 10:00:00 +0000", {1601, 12, 1, 10, 10, 0, 0}},
        {"year 12345", "Mon, 10 Dec 12345 10:00:00 +0000", {12345, 12, 1, 10, 10, 0, 0}},
        {"year 30827 at the end", "Thu, 31 Dec 30827 23:59:59 +0000", {30827, 12, 5, 31, 23, 59, 59}},
        {"past 30827 by a zone", "Thu, 31 Dec 30827 23:59:59 -0100", kNoDate},
        // Read with its zone the date would pass 30827: the classic reading stands.
        {"past 30827 by a zone name", "Thu, 31 Dec 30827 23:59:59 EST", {30827, 12, 5, 31, 23, 59, 59}},
        {"year 65537 wraps to 1", "Mon, 10 Dec 65537 10:00:00 +0000", {2001, 12, 1, 10, 10, 0, 0}},
        {"negative year", "Mon, 10 Dec -1 10:00:00 +0000", kNoDate},
        {"before 1601 by a zone", "Mon, 1 Jan 1601 00:00:00 +0100", kNoDate},
        {"1601 reached by a zone", "Mon, 1 Jan 1601 00:00:00 -0100", {1601, 1, 1, 1, 1, 0, 0}},
        {"second 60", "Mon, 10 Dec 2001 10:00:60 +0000", kNoDate},
        {"rfc 850", "Monday, 10-Dec-01 10:00:00 GMT", {2001, 12, 1, 10, 10, 0, 0}},
        {"rfc 850 four-digit year", "Monday, 10-Dec-2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}},
        {"rfc 850 no seconds named zone", "Monday, 10-Dec-01 10:00 GMT", {2001, 12, 1, 10, 10, 0, 0}},
        {"rfc 850 glued comment", "Monday, 10-Dec-01(x) 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"rfc 850 no time", "Monday, 10-Dec-01", {2001, 12, 1, 10, 0, 0, 0}},
        {"asctime", "Mon Dec 10 10:00:00 2001", {2001, 12, 1, 10, 10, 0, 0}},
        {"asctime padded day", "Sun Dec  9 10:00:00 2001", {2001, 12, 0, 9, 10, 0, 0}},
        {"asctime zone after the year", "Mon Dec 10 10:00:00 2001 +0100", {2001, 12, 1, 10, 9, 0, 0}},
        {"asctime zone before the year", "Mon Dec 10 10:00:00 EST 2001", {2000, 12, 0, 10, 10, 0, 0}},
        {"asctime without weekday, leading blank", " Dec 10 10:00:00 2001", {2001, 12, 1, 10, 10, 0, 0}},
        {"asctime two-digit year", "Mon Dec 10 10:00:00 01", {2001, 12, 1, 10, 10, 0, 0}},
        {"lower-case month", "Mon, 10 dec 2001 10:00:00 +0000", kNoDate},
        {"month with a dot", "Mon, 10 Dec. 2001 10:00:00 +0000", kNoDate},
        {"comma after the month", "Mon, 10 Dec, 2001 10:00:00 +0000", kNoDate},
        {"no space at all", "Mon,10-Dec-2001", kNoDate},
        {"only a weekday", "Mon,", kNoDate},
        {"asctime without weekday", "Dec 10 10:00:00 2001", kNoDate},
    };
    expectReadings(cases, sizeof cases / sizeof cases[0]);
}

// Named zones, no seconds, years 50 to 69, comments and blanks where the classic reading
// stopped, no weekday: each row once read as `before` says.
TEST(DecodeMimeTimeReadings, ObsoleteFormsReadAnew) {
    struct Changed {
        const char* name;
        const char* text;
        Want want;
        const char* before;
    };
    const Changed changed[] = {
        {"year 101", "Mon, 10 Dec 101 10:00:00 +0000", {2001, 12, 1, 10, 10, 0, 0}, "no date"},
        {"rfc 850 year 101", "Monday, 10-Dec-101 10:00:00 GMT", {2001, 12, 1, 10, 10, 0, 0}, "no date"},
        {"month glued to a comment", "Mon, 10 Dec(x) 2001 10:00:00 +0000", {2001, 12, 1, 10, 10, 0, 0}, "no date"},
        {"tab after the weekday", "Mon,\t10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}, "no date"},
        {"leading blank before the weekday", " Mon, 10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}, "no date"},
        {"comment before the weekday", "(x) Mon, 10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}, "no date"},
        {"blank before the comma", "Mon , 10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}, "no date"},
        {"no weekday", "10 Dec 2001 10:00:00 -0500", {2001, 12, 1, 10, 15, 0, 0}, "no date"},
        {"no weekday rfc 850", "10-Dec-01 10:00:00 GMT", {2001, 12, 1, 10, 10, 0, 0}, "no date"},
        {"zone EST", "Mon, 10 Dec 2001 10:00:00 EST", {2001, 12, 1, 10, 15, 0, 0}, "2001-12-10 10:00:00"},
        {"zone EDT", "Tue, 10 Jul 2001 10:00:00 EDT", {2001, 7, 2, 10, 14, 0, 0}, "2001-07-10 10:00:00"},
        {"zone CST", "Mon, 10 Dec 2001 10:00:00 CST", {2001, 12, 1, 10, 16, 0, 0}, "2001-12-10 10:00:00"},
        {"zone CDT", "Tue, 10 Jul 2001 10:00:00 CDT", {2001, 7, 2, 10, 15, 0, 0}, "2001-07-10 10:00:00"},
        {"zone MST", "Mon, 10 Dec 2001 10:00:00 MST", {2001, 12, 1, 10, 17, 0, 0}, "2001-12-10 10:00:00"},
        {"zone MDT", "Tue, 10 Jul 2001 10:00:00 MDT", {2001, 7, 2, 10, 16, 0, 0}, "2001-07-10 10:00:00"},
        {"zone PST", "Mon, 10 Dec 2001 10:00:00 PST", {2001, 12, 1, 10, 18, 0, 0}, "2001-12-10 10:00:00"},
        {"zone PDT", "Tue, 10 Jul 2001 10:00:00 PDT", {2001, 7, 2, 10, 17, 0, 0}, "2001-07-10 10:00:00"},
        {"lower-case zone name", "Mon, 10 Dec 2001 10:00:00 est", {2001, 12, 1, 10, 15, 0, 0}, "2001-12-10 10:00:00"},
        {"zone name and comment", "Mon, 10 Dec 2001 23:30:00 PST (Pacific)", {2001, 12, 2, 11, 7, 30, 0}, "2001-12-10 23:30:00"},
        {"no seconds with a zone", "Mon, 10 Dec 2001 10:00 -0500", {2001, 12, 1, 10, 15, 0, 0}, "2001-12-10 10:00:00"},
        {"no seconds with a named zone", "Mon, 10 Dec 2001 10:00 EST", {2001, 12, 1, 10, 15, 0, 0}, "2001-12-10 10:00:00"},
        {"rfc 850 no seconds with a zone", "Monday, 10-Dec-01 10:00 -0500", {2001, 12, 1, 10, 15, 0, 0}, "2001-12-10 10:00:00"},
        {"rfc 850 named zone", "Monday, 10-Dec-01 10:00:00 EST", {2001, 12, 1, 10, 15, 0, 0}, "2001-12-10 10:00:00"},
        {"asctime without seconds", "Mon Dec 10 10:00 2001", {2001, 12, 1, 10, 10, 0, 0}, "2000-12-10 10:00:00"},
        {"asctime named zone after the year", "Mon Dec 10 10:00:00 2001 EST", {2001, 12, 1, 10, 15, 0, 0}, "2001-12-10 10:00:00"},
        {"comment before the time", "Mon, 10 Dec 2001 (x) 10:00:00 +0100", {2001, 12, 1, 10, 9, 0, 0}, "2001-12-10 00:00:00"},
        {"comment before the zone", "Mon, 10 Dec 2001 10:00:00 (x) -0500", {2001, 12, 1, 10, 15, 0, 0}, "2001-12-10 10:00:00"},
        {"blanks around the colons", "Mon, 10 Dec 2001 10 : 30 : 15 +0100", {2001, 12, 1, 10, 9, 30, 15}, "2001-12-10 10:00:00"},
        {"no weekday read as asctime", "1 Jan 02 10:00:00 +0000", {2002, 1, 2, 1, 10, 0, 0}, "2000-01-02 10:00:00"},
    };
    for (const Changed& c : changed) {
        SCOPED_TRACE(std::string(c.name) + ", read before as " + c.before);
        const Case now{c.name, c.text, c.want};
        expectReadings(&now, 1);
    }
}

}  // namespace
