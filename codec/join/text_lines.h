// Walking a block of text line by line without copying: the pieces finder and the article
// splitter read inputs held whole in memory.
#pragma once

#include <cstddef>
#include <string_view>

namespace kodra {

// One line of a text block: its bytes without the line end, and where the next line starts.
struct TextLine {
    std::size_t begin = 0;
    std::string_view text;
    std::size_t next = 0;
};

// The line that starts at offset position of text (position < text.size()).
inline TextLine lineAt(std::string_view text, std::size_t position) noexcept {
    TextLine line;
    line.begin = position;
    const std::size_t lf = text.find('\n', position);
    std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    line.next = lf == std::string_view::npos ? text.size() : lf + 1;
    if (end > position && text[end - 1] == '\r') --end;
    line.text = text.substr(position, end - position);
    return line;
}

inline bool startsWith(std::string_view text, std::string_view prefix) noexcept {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace kodra
