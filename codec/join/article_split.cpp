// Articles of an input. A message/partial article's body begins with the enclosed
// message's header, which is not taken for the start of another article.
#include "join/article_split.h"

#include "join/article_header.h"
#include "join/text_lines.h"

namespace kodra {
namespace {

bool holdsPartial(std::string_view text, std::size_t begin) {
    ArticleHeader header;
    readArticleHeader(text.substr(begin), header);
    const std::string* type = header.find("content-type");
    if (!type) return false;
    std::string lower(*type);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower.find("message/partial") != std::string::npos;
}

}  // namespace

std::vector<ArticleRange> splitArticles(std::string_view text) {
    std::vector<ArticleRange> articles;
    const bool mbox = startsWith(text, "From ");
    std::size_t position = 0;
    std::size_t articleBegin = 0;
    if (mbox) articleBegin = lineAt(text, 0).next, position = articleBegin;
    bool inHeader = true;       // the current article's header block is being read
    bool skipNextStart = false; // the body of a message/partial begins with a header
    bool previousBlank = false;
    while (position < text.size()) {
        const TextLine line = lineAt(text, position);
        if (inHeader) {
            if (line.text.empty()) {
                inHeader = false;
                skipNextStart = !mbox && holdsPartial(text, articleBegin);
                previousBlank = true;
            }
            position = line.next;
            continue;
        }
        bool starts = false;
        if (mbox) {
            starts = previousBlank && startsWith(line.text, "From ");
        } else if (previousBlank && !line.text.empty()) {
            if (skipNextStart) skipNextStart = false;
            else starts = looksLikeArticleStart(text, position);
        }
        if (starts) {
            articles.push_back(ArticleRange{articleBegin, line.begin});
            articleBegin = mbox ? line.next : line.begin;
            inHeader = true;
            previousBlank = false;
            position = mbox ? line.next : line.begin;
            if (!mbox) {
                // Step over the header just recognised.
                continue;
            }
            continue;
        }
        if (!line.text.empty() && skipNextStart) skipNextStart = false;
        previousBlank = line.text.empty();
        position = line.next;
    }
    if (articleBegin < text.size() || articles.empty()) articles.push_back(ArticleRange{articleBegin, text.size()});
    return articles;
}

}  // namespace kodra
