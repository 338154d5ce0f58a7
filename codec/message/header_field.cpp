#include "message/header_field.h"

#include "frame/line_source.h"
#include "message/encoded_words.h"
#include "message/line_text.h"

namespace kodra {
namespace {

char lowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isBlank(char c) noexcept { return c == ' ' || c == '\t'; }

// The body after "name:" when line is a field of that name (blanks before the colon are
// obsolete syntax, RFC 5322, 4.5), else nullopt.
std::optional<std::string_view> fieldBody(std::string_view line, std::string_view name) noexcept {
    if (line.size() <= name.size()) return std::nullopt;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (lowerAscii(line[i]) != lowerAscii(name[i])) return std::nullopt;
    std::size_t at = name.size();
    while (at < line.size() && isBlank(line[at])) ++at;
    if (at == line.size() || line[at] != ':') return std::nullopt;
    return line.substr(at + 1);
}

// Sets line to the next whole line's text; the rest of a line longer than the source's
// cap is dropped. False at the end of the input.
bool nextLine(LineSource& source, std::string& line) {
    SourceLine piece;
    if (!source.next(piece)) return false;
    line.assign(classicLineText(piece));
    while (piece.continues && source.next(piece)) {
    }
    return true;
}

void appendCut(std::string& field, std::string_view text) {
    if (field.size() < kMaxFieldText) field.append(text.substr(0, kMaxFieldText - field.size()));
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

bool isFieldName(std::string_view name) noexcept {
    if (name.empty()) return false;
    for (const char c : name)
        if (c <= ' ' || c >= 0x7F || c == ':') return false;
    return true;
}

std::optional<std::string> readHeaderField(LineSource& source, std::string_view name) {
    if (!isFieldName(name)) return std::nullopt;
    std::optional<std::string> field;
    std::string line;
    while (nextLine(source, line)) {
        if (line.empty()) break;  // the blank line ends the header section
        if (field) {
            if (!isBlank(line.front())) break;  // the next field: this one is whole
            appendCut(*field, line);
        } else if (auto body = fieldBody(line, name)) {
            // Leading blanks go before the cut, so that it keeps a whole kMaxFieldText of text.
            while (!body->empty() && isBlank(body->front())) body->remove_prefix(1);
            field.emplace();
            appendCut(*field, *body);
        }
        // Other lines (delivery lines in front of the fields, other fields and their
        // continuations) are passed over.
    }
    if (field) *field = trimmed(*field);
    return field;
}

std::optional<std::string> readHeaderFieldUtf8(LineSource& source, std::string_view name) {
    std::optional<std::string> field = readHeaderField(source, name);
    if (field) *field = decodeEncodedWordsToUtf8(*field);
    return field;
}

}  // namespace kodra
