// DecodeMimeTime on any text, in UTC and local time: a produced date is a valid one, a
// refused one leaves the record zero-filled.
#include "fuzz_support.h"

#include <cstring>
#include <string>

namespace {

void checkDate(const std::string& text, int toLocal) {
    using kodra::fuzz::check;
    KodraSystemTime time;
    std::memset(&time, 0x5a, sizeof time);
    const int produced = DecodeMimeTime(text.c_str(), &time, toLocal);
    if (produced == 1) {
        static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        check(time.wMonth >= 1 && time.wMonth <= 12, "month out of range");
        check(time.wDay >= 1 && time.wDay <= kDays[time.wMonth - 1], "day out of range");
        check(time.wDayOfWeek <= 6 && time.wHour <= 23 && time.wMinute <= 59 && time.wSecond <= 59 &&
                  time.wMilliseconds <= 999,
              "time of day out of range");
    } else {
        check(produced == 0, "DecodeMimeTime result neither 0 nor 1");
        const KodraSystemTime zero{};
        check(std::memcmp(&time, &zero, sizeof time) == 0, "refused date left the record set");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);  // cut at any NUL inside
    checkDate(text, 0);
    checkDate(text, 1);
    return 0;
}
