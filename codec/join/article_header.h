// The header block of an article: its fields, unfolded, in order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kodra {

struct HeaderField {
    std::string name;   // as written
    std::string body;   // unfolded, blanks around it trimmed
    std::string_view raw;  // the field's lines as they stand, line ends included
};

struct ArticleHeader {
    std::vector<HeaderField> fields;
    // The body of the first field called name (any case), or null.
    const std::string* find(std::string_view name) const noexcept;
};

// Reads the header fields in text (up to its first blank line); lines that begin no field
// and continue none are passed over. Returns the offset where the body begins.
std::size_t readArticleHeader(std::string_view text, ArticleHeader& header);

// True when the lines at position form a block of header fields that ends at a blank line
// (or the end), with at least two fields, among them Subject and one of From, Newsgroups,
// Path, Date or Message-ID: the start of another article in a plain concatenation.
bool looksLikeArticleStart(std::string_view text, std::size_t position) noexcept;

}  // namespace kodra
