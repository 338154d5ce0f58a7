// Cutting an input into articles: an mbox at its "From " lines, or a plain concatenation
// of articles at each header block that follows a blank line.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kodra {

struct ArticleRange {
    std::size_t begin = 0;  // the first byte (an mbox article: after its "From " line)
    std::size_t end = 0;    // one past the last
};

// The articles of text, in order; an input without headers is one article.
std::vector<ArticleRange> splitArticles(std::string_view text);

}  // namespace kodra
