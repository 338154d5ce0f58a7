// kodra date: a mail or news date as ISO 8601.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "printable_text.h"

namespace kodra::cli {
namespace {

struct DateOptions {
    std::string text;
    bool local = false;
};

// Days since 1970-01-01 of a proleptic Gregorian date.
long long daysFromCivil(long long year, long long month, long long day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

long long minutesOf(const KodraSystemTime& time) {
    return daysFromCivil(time.wYear, time.wMonth, time.wDay) * 1440 + time.wHour * 60 + time.wMinute;
}

std::string isoDateTime(const KodraSystemTime& time) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
    return text;
}

// "+hh:mm" / "-hh:mm" for an offset in minutes, "Z" for none.
std::string zoneText(long long offsetMinutes) {
    if (offsetMinutes == 0) return "Z";
    const char sign = offsetMinutes < 0 ? '-' : '+';
    const long long magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[48];
    std::snprintf(text, sizeof text, "%c%02lld:%02lld", sign, magnitude / 60, magnitude % 60);
    return text;
}

int runDate(const DateOptions& options) {
    KodraSystemTime utc{};
    if (DecodeMimeTime(options.text.c_str(), &utc, 0) != 1) {
        std::fprintf(stderr, "kodra: \"%s\": no date found (expected e.g. \"Tue, 5 Mar 2024 14:07:09 +0100\")\n",
                     printable(options.text).c_str());
        return kNothingFound;
    }
    if (!options.local) {
        std::printf("%sZ\n", isoDateTime(utc).c_str());
        return kSuccess;
    }
    KodraSystemTime local{};
    if (DecodeMimeTime(options.text.c_str(), &local, 1) != 1) {
        std::fprintf(stderr, "kodra: \"%s\": no local time for this date\n", printable(options.text).c_str());
        return kNothingFound;
    }
    // The local record carries no zone; the difference to UTC is its offset.
    std::printf("%s%s\n", isoDateTime(local).c_str(),
                zoneText(minutesOf(local) - minutesOf(utc)).c_str());
    return kSuccess;
}

}  // namespace

void addDateCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<DateOptions>();
    CLI::App* command = app.add_subcommand(
        "date",
        "Print the date of a mail or news header (RFC 5322 with its obsolete forms, RFC 850, asctime) as ISO 8601");
    command->add_option("TEXT", options->text, "The date text, e.g. \"Tue, 5 Mar 2024 14:07:09 +0100\"")
        ->required();
    command->add_flag("--local", options->local, "Give the machine's local time with its offset, not UTC");
    command->callback([options, &exitCode] { exitCode = runDate(*options); });
}

}  // namespace kodra::cli
