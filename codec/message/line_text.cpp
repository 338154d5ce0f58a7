#include "message/line_text.h"

namespace kodra {

std::string_view classicLineText(const SourceLine& line) noexcept {
    std::string_view text = line.text.substr(0, line.text.find('\0'));
    // Where a line end followed the text, it was stripped before its CR could be; the CR
    // ending a piece of an overlong line is part of the line.
    const bool cut = text.size() != line.text.size();
    const bool lastOfInput = line.end == LineEnd::kNone && !line.continues;
    if ((cut || lastOfInput) && !text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

}  // namespace kodra
