// The line splitter that the line source's tests and its fuzz target use as the oracle.
#pragma once

#include "frame/line_source.h"

#include <string>
#include <vector>

namespace kodra::testing {

// One line or piece as the line source should hand it out.
struct Piece {
    std::string text;
    LineEnd end;
    bool continues;
    bool operator==(const Piece& other) const {
        return text == other.text && end == other.end && continues == other.continues;
    }
    bool operator!=(const Piece& other) const { return !(*this == other); }
};

// Splits at every LF, a CR right before it belonging to the line end; a last line without
// LF counts when not empty; lines over the cap are cut into cap-sized pieces.
inline std::vector<Piece> referenceLines(const std::string& input, std::size_t cap = kNoLineCap) {
    std::vector<Piece> lines;
    std::size_t start = 0;
    while (start < input.size()) {
        const std::size_t lf = input.find('\n', start);
        std::string text;
        LineEnd end = LineEnd::kNone;
        if (lf == std::string::npos) {
            text = input.substr(start);
            start = input.size();
        } else {
            text = input.substr(start, lf - start);
            end = LineEnd::kLf;
            if (!text.empty() && text.back() == '\r') {
                text.pop_back();
                end = LineEnd::kCrLf;
            }
            start = lf + 1;
        }
        std::size_t at = 0;
        for (; text.size() - at > cap; at += cap) lines.push_back({text.substr(at, cap), LineEnd::kNone, true});
        lines.push_back({text.substr(at), end, false});
    }
    return lines;
}

}  // namespace kodra::testing
