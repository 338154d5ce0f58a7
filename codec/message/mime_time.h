// Dates of mail and news headers.
#pragma once

#include "platform/platform.h"

namespace kodra {

// Reads a date in the layout of RFC 822 ("Mon, 10 Dec 2001 10:00:00 -0500"), RFC 850
// ("Monday, 10-Dec-01 10:00:00 GMT") or asctime ("Mon Dec 10 10:00:00 2001"), each led by a
// weekday word, into record as UTC (or local time when toLocal is set). Returns 1 when a
// date was produced; 0 with the record zero-filled when the text holds no space or its
// fields do not form a valid date.
int decodeMimeTime(const char* text, platform::CivilTime& record, bool toLocal) noexcept;

}  // namespace kodra
