// Cutting an mbox block into messages: the "From " lines separate them, the empty line the
// writer put before each separator goes, and quoted "From " lines lose one ">".
#include "archive/archive_units.h"
#include "archive/mbox_from_lines.h"

#include <cstring>

namespace kodra {
namespace {

// text without the empty line at its end, when its last line is empty: the separator the
// writer added before the next "From " line (or at the end of the file).
std::string_view withoutSeparator(std::string_view text) noexcept {
    if (text.empty() || text.back() != '\n') return text;
    std::size_t kept = text.size() - 1;
    if (kept > 0 && text[kept - 1] == '\r') --kept;
    if (kept == 0 || text[kept - 1] == '\n') return text.substr(0, kept);
    return text;
}

// text with one ">" taken from every quoted "From " line; a view of text itself when it
// has none, else of scratch. Such lines are found by searching for ">From ", not by walking
// every line: a Base64 body holds no ">", so an attachment is passed over in one search.
std::string_view unquoted(std::string_view text, std::string& scratch) {
    constexpr std::string_view kQuotedFrom = ">From ";
    bool copying = false;
    std::size_t copied = 0;  // text before this is in scratch (once copying)
    for (std::size_t at = text.find(kQuotedFrom); at != std::string_view::npos; at = text.find(kQuotedFrom, at + 1)) {
        std::size_t line = at;  // back over the other ">" to where the line would begin
        while (line > 0 && text[line - 1] == '>') --line;
        if (line > 0 && text[line - 1] != '\n') continue;
        if (!copying) {
            scratch.clear();
            copying = true;
        }
        scratch.append(text, copied, line - copied);
        copied = line + 1;  // the first ">" stays out
    }
    if (!copying) return text;
    scratch.append(text, copied, std::string_view::npos);
    return scratch;
}

bool onlyLineEnds(std::string_view text) noexcept {
    return text.find_first_not_of("\r\n") == std::string_view::npos;
}

}  // namespace

void forEachMboxMessage(std::string_view block, long long baseOffset, std::string& scratch,
                        const std::function<void(long long offset, std::string_view message)>& visit) {
    // The block's first byte starts the file or a separating "From " line, so a "From " at
    // its start separates, and the look-back of later ones stays inside it.
    std::size_t at = isMboxFromLine(block, 0, true) ? 0 : findMboxFromLine(block, 0, true);
    if (at == std::string_view::npos) at = block.size();
    // Text before the first "From " line is a message of its own, unless it is only empty lines.
    if (at > 0 && !onlyLineEnds(block.substr(0, at)))
        visit(baseOffset, unquoted(withoutSeparator(block.substr(0, at)), scratch));
    while (at < block.size()) {
        const std::size_t lineEnd = block.find('\n', at);
        const std::size_t textStart = lineEnd == std::string_view::npos ? block.size() : lineEnd + 1;
        std::size_t next = findMboxFromLine(block, textStart, true);
        if (next == std::string_view::npos) next = block.size();
        const std::string_view text = withoutSeparator(block.substr(textStart, next - textStart));
        visit(baseOffset + static_cast<long long>(at), unquoted(text, scratch));
        at = next;
    }
}

}  // namespace kodra
