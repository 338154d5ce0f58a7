// Pieces of split postings: yEnc sections that carry part numbers, UUencoded articles with
// part marks in their subjects, and message/partial articles (RFC 2046, 5.2.2).
#include "join/piece_finder.h"

#include "join/article_header.h"
#include "join/article_split.h"
#include "join/subject_mark.h"
#include "join/text_lines.h"
#include "message/header_parameters.h"
#include "yenc/crc32.h"
#include "yenc/yenc_lines.h"

#include <algorithm>
#include <cstdlib>

namespace kodra {
namespace {

constexpr long long kMaxParts = 1000000;

// A fingerprint of data with its CRs left out: the CRC-32 of those bytes and their count. Two
// different copies of a part would have to agree on both to pass for the same; CRC-32 runs at
// memory speed, which matters on postings of gigabytes.
std::uint64_t digestOf(std::string_view data) noexcept {
    std::uint32_t crc = 0;
    std::uint64_t count = 0;
    std::size_t at = 0;
    while (at < data.size()) {
        const std::size_t cr = data.find('\r', at);
        const std::size_t end = cr == std::string_view::npos ? data.size() : cr;
        crc = crc32Update(crc, data.data() + at, end - at);
        count += end - at;
        at = end == data.size() ? end : end + 1;
    }
    return (static_cast<std::uint64_t>(crc) << 32) | (count & 0xffffffffu);
}

bool isUuBeginLine(std::string_view line) noexcept {
    if (!startsWith(line, "begin ")) return false;
    std::size_t at = 6;
    const std::size_t digits = at;
    while (at < line.size() && line[at] >= '0' && line[at] <= '7') ++at;
    return at > digits && at < line.size() && line[at] == ' ' && at + 1 < line.size();
}

bool isUuEndLine(std::string_view line) noexcept {
    return line == "end" || (startsWith(line, "end") && line.find_first_not_of(" \t", 3) == std::string_view::npos);
}

// A full UU data line: "M" and 60 symbols.
bool isFullUuLine(std::string_view line) noexcept {
    if (line.size() != 61 || line[0] != 'M') return false;
    for (char c : line)
        if (c < ' ' || c > '`') return false;
    return true;
}

// yEnc sections with part numbers in the body [begin, end) of an article; each becomes a piece.
void findYencPieces(std::string_view text, int input, std::size_t begin, std::size_t end, std::vector<Piece>& pieces) {
    std::size_t position = begin;
    while (position < end) {
        const TextLine line = lineAt(text, position);
        position = line.next;
        if (!startsWith(line.text, "=ybegin ")) continue;
        const std::optional<YencLine> head = parseYencLine(line.text);
        if (!head || head->kind != YencLineKind::begin || (!head->part && !head->total)) continue;
        Piece piece;
        piece.kind = PostingKind::yenc;
        piece.input = input;
        piece.begin = line.begin;
        piece.name = head->name;
        piece.number = head->part ? static_cast<int>(std::clamp<long long>(*head->part, 0, kMaxParts)) : 1;
        piece.total = head->total ? static_cast<int>(std::clamp<long long>(*head->total, 0, kMaxParts)) : 0;
        piece.size = head->size ? *head->size : -1;
        piece.dataBegin = position;
        if (position < end) {
            const TextLine next = lineAt(text, position);
            if (startsWith(next.text, "=ypart ")) {
                if (const std::optional<YencLine> part = parseYencLine(next.text); part && part->kind == YencLineKind::part) {
                    piece.rangeBegin = part->begin.value_or(0);
                    piece.rangeEnd = part->end.value_or(0);
                }
                piece.dataBegin = next.next;
            }
        }
        piece.dataEnd = end;
        piece.end = end;
        std::size_t scan = piece.dataBegin;
        while (scan < end) {
            const TextLine data = lineAt(text, scan);
            if (startsWith(data.text, "=yend")) {
                piece.dataEnd = data.begin;
                piece.end = data.next;
                piece.ended = true;
                if (const std::optional<YencLine> tail = parseYencLine(data.text); tail && tail->kind == YencLineKind::end) {
                    piece.partSize = tail->size.value_or(-1);
                    piece.pcrc32 = tail->pcrc32;
                    piece.crc32 = tail->crc32;
                }
                break;
            }
            if (startsWith(data.text, "=ybegin ")) {  // a section that never ended
                piece.dataEnd = data.begin;
                piece.end = data.begin;
                break;
            }
            scan = data.next;
        }
        piece.key = piece.name + '\n' + std::to_string(piece.size);
        piece.digest = digestOf(text.substr(piece.dataBegin, piece.dataEnd - piece.dataBegin));
        position = piece.end;
        pieces.push_back(std::move(piece));
    }
}

// piece, spanning the whole article, its data the article's body.
Piece wholeArticle(Piece piece, std::string_view text, const ArticleRange& article, std::size_t bodyBegin) {
    piece.begin = article.begin;
    piece.end = article.end;
    piece.dataBegin = bodyBegin;
    piece.dataEnd = article.end;
    piece.digest = digestOf(text.substr(bodyBegin, article.end - bodyBegin));
    return piece;
}

// A message/partial article (its whole text a piece), or nothing.
bool findPartialPiece(std::string_view text, int input, const ArticleRange& article, std::size_t bodyBegin,
                      const ArticleHeader& header, std::vector<Piece>& pieces) {
    const std::string* type = header.find("content-type");
    if (!type) return false;
    const HeaderParameters parameters = parseHeaderParameters(*type);
    if (parameters.value() != "message/partial") return false;
    const std::string* id = parameters.plain("id");
    const std::string* number = parameters.plain("number");
    if (!id || id->empty() || !number) return false;
    const long long value = std::atoll(number->c_str());
    if (value < 1 || value > kMaxParts) return false;
    Piece piece;
    piece.kind = PostingKind::partial;
    piece.input = input;
    piece.key = *id;
    piece.name = *id;
    piece.number = static_cast<int>(value);
    if (const std::string* total = parameters.plain("total")) {
        const long long count = std::atoll(total->c_str());
        if (count >= 1 && count <= kMaxParts) piece.total = static_cast<int>(count);
    }
    pieces.push_back(wholeArticle(std::move(piece), text, article, bodyBegin));
    return true;
}

// A UUencoded article marked "(n/m)" in its subject, or nothing.
bool findUuPiece(std::string_view text, int input, const ArticleRange& article, std::size_t bodyBegin,
                 const ArticleHeader& header, std::vector<Piece>& pieces) {
    const std::string* subject = header.find("subject");
    if (!subject) return false;
    std::optional<SubjectMark> mark = findSubjectMark(*subject);
    if (!mark) return false;
    Piece piece;
    bool data = false;
    for (std::size_t position = bodyBegin; position < article.end;) {
        const TextLine line = lineAt(text, position);
        position = line.next;
        if (isUuBeginLine(line.text)) {
            if (!piece.hasBegin) {
                std::size_t at = 6;
                while (line.text[at] != ' ') ++at;
                piece.name = std::string(line.text.substr(at + 1));
            }
            piece.hasBegin = true;
        } else if (isUuEndLine(line.text)) {
            piece.hasEnd = true;
        } else if (isFullUuLine(line.text)) {
            data = true;
        }
    }
    if (!data && !piece.hasBegin && !piece.hasEnd) return false;
    piece.kind = PostingKind::uu;
    piece.input = input;
    piece.key = std::move(mark->key);
    piece.number = mark->number;
    piece.total = mark->total;
    pieces.push_back(wholeArticle(std::move(piece), text, article, bodyBegin));
    return true;
}

}  // namespace

void findPieces(std::string_view text, int input, std::vector<Piece>& pieces, std::vector<TextRange>& ordinary) {
    const std::size_t first = pieces.size();
    for (const ArticleRange& article : splitArticles(text)) {
        ArticleHeader header;
        const std::string_view articleText = text.substr(article.begin, article.end - article.begin);
        const std::size_t bodyBegin = article.begin + readArticleHeader(articleText, header);
        if (findPartialPiece(text, input, article, bodyBegin, header, pieces)) continue;
        const std::size_t before = pieces.size();
        findYencPieces(text, input, bodyBegin, article.end, pieces);
        if (pieces.size() != before) continue;
        findUuPiece(text, input, article, bodyBegin, header, pieces);
    }
    std::size_t position = 0;
    for (std::size_t i = first; i < pieces.size(); ++i) {
        if (pieces[i].begin > position) ordinary.push_back(TextRange{position, pieces[i].begin});
        position = std::max(position, pieces[i].end);
    }
    if (position < text.size()) ordinary.push_back(TextRange{position, text.size()});
}

}  // namespace kodra
