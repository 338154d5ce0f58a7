// Header blocks of articles, read from text held in memory.
#include "join/article_header.h"

#include "join/text_lines.h"
#include "message/header_parameters.h"

namespace kodra {
namespace {

// Header blocks longer than this are not taken for one.
constexpr int kMaxHeaderLines = 1000;

bool isContinuation(std::string_view line) noexcept {
    return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

std::string trimmed(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    return std::string(text.substr(first, last - first));
}

}  // namespace

const std::string* ArticleHeader::find(std::string_view name) const noexcept {
    for (const HeaderField& field : fields)
        if (field.name.size() == name.size()) {
            bool same = true;
            for (std::size_t i = 0; i < name.size() && same; ++i) {
                char c = field.name[i];
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
                same = c == name[i];
            }
            if (same) return &field.body;
        }
    return nullptr;
}

std::size_t readArticleHeader(std::string_view text, ArticleHeader& header) {
    std::size_t position = 0;
    std::size_t fieldBegin = 0;
    while (position < text.size()) {
        const TextLine line = lineAt(text, position);
        if (line.text.empty()) return line.next;
        std::string_view name, body;
        if (isContinuation(line.text) && !header.fields.empty()) {
            HeaderField& field = header.fields.back();
            field.body += ' ';
            field.body += trimmed(line.text);
            field.raw = text.substr(fieldBegin, line.next - fieldBegin);
        } else if (splitHeaderField(line.text, name, body)) {
            fieldBegin = line.begin;
            header.fields.push_back(HeaderField{std::string(name), trimmed(body), text.substr(line.begin, line.next - line.begin)});
        } else if (header.fields.empty()) {
            return 0;  // no header block: the text is all body
        }
        position = line.next;
    }
    return position;
}

bool looksLikeArticleStart(std::string_view text, std::size_t position) noexcept {
    int fields = 0;
    bool subject = false, origin = false;
    for (int lines = 0; lines < kMaxHeaderLines; ++lines) {
        if (position >= text.size()) break;
        const TextLine line = lineAt(text, position);
        if (line.text.empty()) break;
        std::string_view name, body;
        if (isContinuation(line.text) && fields > 0) {
            position = line.next;
            continue;
        }
        if (!splitHeaderField(line.text, name, body) || name.empty()) return false;
        ++fields;
        if (equalsLowerCase(name, "subject")) subject = true;
        if (equalsLowerCase(name, "from") || equalsLowerCase(name, "newsgroups") || equalsLowerCase(name, "path") ||
            equalsLowerCase(name, "date") || equalsLowerCase(name, "message-id"))
            origin = true;
        position = line.next;
    }
    return fields >= 2 && subject && origin;
}

}  // namespace kodra
