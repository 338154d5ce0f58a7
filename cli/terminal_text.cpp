#include "terminal_text.h"

#include "printable_text.h"

namespace kodra::cli {
namespace {

// How many bytes at the end of text begin a UTF-8 character that the next piece completes.
std::size_t incompleteTail(const std::string& text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if (byte < 0x80) return 0;
        if (byte >= 0xC0) {
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            return length > back ? back : 0;
        }
    }
    return 0;
}

}  // namespace

std::string TerminalText::filter(const char* data, std::size_t size) {
    std::string text = held_;
    text.append(data, size);
    held_.clear();
    const std::size_t keep = !text.empty() && text.back() == '\r' ? 1 : incompleteTail(text);
    held_ = text.substr(text.size() - keep);
    text.resize(text.size() - keep);

    std::string shown;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool kept = c == '\n' || c == '\t' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if (!kept) continue;
        shown += printable(text.substr(runStart, i - runStart));
        shown += c;
        runStart = i + 1;
    }
    shown += printable(text.substr(runStart));
    return shown;
}

std::string TerminalText::finish() {
    std::string shown = printable(held_);
    held_.clear();
    return shown;
}

}  // namespace kodra::cli
