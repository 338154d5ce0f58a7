// Dates of mail and news headers.
#pragma once

#include "platform/platform.h"

namespace kodra {

// Reads a date in the layout of RFC 5322 with its obsolete forms (RFC 5322, 4.3: weekday
// and seconds optional, comments and folding blanks, named zones, two- and three-digit
// years), of RFC 850 ("Monday, 10-Dec-01 10:00:00 GMT") or of asctime ("Mon Dec 10
// 10:00:00 2001") into record as UTC (or local time when toLocal is set). Every text the
// classic reading took keeps its date unless one of those forms gives it another. Returns
// 1 when a date was produced; 0 with the record zero-filled when the text forms none.
int decodeMimeTime(const char* text, platform::CivilTime& record, bool toLocal) noexcept;

}  // namespace kodra
