#include "kodra32.h"
#include "message/mime_time.h"

#include <cstring>

static_assert(sizeof(KodraSystemTime) == sizeof(kodra::platform::CivilTime),
              "the public date record and the platform's must share one layout");

extern "C" KODRA_API int KODRA_CALL DecodeMimeTime(const char* text, KodraSystemTime* record,
                                                   int toLocal) {
    if (!record) return 0;
    kodra::platform::CivilTime time{};
    const int produced = text ? kodra::decodeMimeTime(text, time, toLocal != 0) : 0;
    std::memcpy(record, &time, sizeof time);
    return produced;
}
