// The control lines of a yEnc section (yEnc 1.3): "=ybegin", "=ypart" and "=yend".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kodra {

enum class YencLineKind { begin, part, end };

// One control line's fields; absent ones stay unset. Numbers are decimal, CRCs hex.
struct YencLine {
    YencLineKind kind = YencLineKind::begin;
    std::optional<long long> line;   // =ybegin line=
    std::optional<long long> size;   // =ybegin, =yend size=
    std::optional<long long> part;   // =ybegin, =yend part=
    std::optional<long long> total;  // =ybegin total=
    std::optional<long long> begin;  // =ypart begin= (1-based)
    std::optional<long long> end;    // =ypart end= (inclusive)
    std::optional<std::uint32_t> pcrc32;  // =yend pcrc32=
    std::optional<std::uint32_t> crc32;   // =yend crc32=
    std::string name;                // =ybegin name=: the rest of the line, as bytes
};

// Reads a line (without its line end) that begins "=ybegin ", "=ypart " or "=yend "; nothing
// for any other line. Fields come in any order; unknown ones are passed over.
std::optional<YencLine> parseYencLine(std::string_view line);

}  // namespace kodra
