// Reads the data of a yEnc section (yEnc 1.3) from a line source up to its "=yend" line,
// decoding into a part output, and judges the result by the sizes and CRCs it carries.
#pragma once

#include "frame/line_source.h"
#include "yenc/yenc_lines.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace kodra {

class BoundaryList;
class PartOutput;

enum class YencVerdict {
    complete,      // every check the lines allow passed
    noEnd,         // the data ended (input, boundary, next "=ybegin") before "=yend"
    fragment,      // one part of several: only a join completes it
    sizeMismatch,  // a size, or the part number, disagrees
    crcMismatch,   // pcrc32 or crc32 disagrees
};

// What was read of a section.
struct YencSectionRead {
    std::optional<YencLine> part;  // the "=ypart" line after "=ybegin"
    std::optional<YencLine> end;   // the "=yend" line
    std::uint64_t decoded = 0;     // bytes decoded
    std::uint32_t crc = 0;         // CRC-32 of those bytes
};

// Judges a section from its "=ybegin" line and what was read.
YencVerdict judgeYencSection(const YencLine& begin, const YencSectionRead& read) noexcept;

// Reads the section whose "=ybegin" line (begin) was just read, through its "=yend" line.
// Decoded bytes go to output when it is open (else they are only counted). A boundary
// line or another "=ybegin" line ends the data and is left to be read again. progress
// is called now and then.
YencSectionRead readYencSection(LineSource& source, const BoundaryList& boundaries, const YencLine& begin,
                                PartOutput& output, const std::function<void()>& progress);

}  // namespace kodra
