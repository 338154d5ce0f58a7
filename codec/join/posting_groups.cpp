// Grouping and checking. Parts are ordered by number whatever the order they were found
// in; duplicates that are the same text are harmless, different ones make the posting fail.
#include "join/posting_groups.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

namespace kodra {
namespace {

std::string numbered(const char* what, int number) { return std::string(what) + " " + std::to_string(number); }

void checkYencRanges(PostingGroup& posting) {
    std::vector<const Piece*> byRange = posting.parts;
    std::sort(byRange.begin(), byRange.end(), [](const Piece* a, const Piece* b) {
        return std::tie(a->rangeBegin, a->number) < std::tie(b->rangeBegin, b->number);
    });
    std::vector<int> overlapping;
    for (const Piece* part : byRange) {
        if (posting.total > 1 && (part->rangeBegin < 1 || part->rangeEnd < part->rangeBegin ||
                                  (posting.size >= 0 && part->rangeEnd > posting.size)))
            failPosting(posting, numbered("part", part->number) + " has no valid byte range");
    }
    for (std::size_t i = 1; i < byRange.size(); ++i)
        if (byRange[i]->rangeBegin >= 1 && byRange[i]->rangeBegin <= byRange[i - 1]->rangeEnd) {
            overlapping.push_back(byRange[i - 1]->number);
            overlapping.push_back(byRange[i]->number);
        }
    std::sort(overlapping.begin(), overlapping.end());
    overlapping.erase(std::unique(overlapping.begin(), overlapping.end()), overlapping.end());
    posting.overlapping = overlapping;
    if (!overlapping.empty())
        failPosting(posting, numbered("part", overlapping.front()) + " overlaps another part's byte range");
    if (posting.status != PostingStatus::complete || !posting.missing.empty() || posting.total <= 1) return;
    long long next = 1;
    for (const Piece* part : byRange) {
        if (part->rangeBegin != next) {
            failPosting(posting, "the parts' byte ranges leave a gap before part " + std::to_string(part->number));
            return;
        }
        next = part->rangeEnd + 1;
    }
    if (posting.size >= 0 && next != posting.size + 1) failPosting(posting, "the parts' byte ranges do not end at the size");
}

void checkUuMarks(PostingGroup& posting) {
    for (const Piece* part : posting.parts) {
        if (part->number == 1 && !part->hasBegin) failPosting(posting, "part 1 has no begin line");
        if (part->number != 1 && part->hasBegin) failPosting(posting, numbered("part", part->number) + " has a begin line");
        if (part->number == posting.total && !part->hasEnd) failPosting(posting, "the last part has no end line");
    }
}

}  // namespace

void failPosting(PostingGroup& posting, const std::string& reason) {
    if (posting.status == PostingStatus::failed) return;
    posting.status = PostingStatus::failed;
    posting.reason = reason;
}

std::vector<PostingGroup> groupPieces(const std::vector<Piece>& pieces) {
    std::map<std::pair<int, std::string>, std::vector<const Piece*>> byKey;
    for (const Piece& piece : pieces) byKey[{static_cast<int>(piece.kind), piece.key}].push_back(&piece);
    std::vector<PostingGroup> postings;
    for (auto& entry : byKey) {
        std::vector<const Piece*>& found = entry.second;
        std::stable_sort(found.begin(), found.end(), [](const Piece* a, const Piece* b) { return a->number < b->number; });
        PostingGroup posting;
        posting.kind = found.front()->kind;
        for (const Piece* piece : found) {
            posting.total = std::max(posting.total, piece->total);
            if (posting.size < 0 && piece->size >= 0) posting.size = piece->size;
        }
        // yEnc parts that name no total: the part whose range ends at the size is the last.
        if (posting.kind == PostingKind::yenc && posting.total == 0 && posting.size > 0)
            for (const Piece* piece : found)
                if (piece->rangeEnd == posting.size) posting.total = std::max(posting.total, piece->number);
        bool differ = false;
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (i > 0 && found[i]->number == found[i - 1]->number) {
                if (posting.duplicates.empty() || posting.duplicates.back() != found[i]->number)
                    posting.duplicates.push_back(found[i]->number);
                if (found[i]->digest != posting.parts.back()->digest && !differ) {
                    differ = true;
                    failPosting(posting, numbered("part", found[i]->number) + " was found twice with different contents");
                }
                continue;
            }
            posting.parts.push_back(found[i]);
        }
        // The name: part 1's (a UU posting names its file there), else the first found.
        posting.name = found.front()->name;
        for (const Piece* part : posting.parts)
            if (part->number == 1 && !part->name.empty()) posting.name = part->name;
        if (posting.name.empty()) posting.name = entry.first.second;
        const int last = posting.total > 0 ? posting.total : posting.parts.back()->number;
        std::size_t at = 0;
        for (int number = 1; number <= last; ++number) {
            while (at < posting.parts.size() && posting.parts[at]->number < number) ++at;
            if (at == posting.parts.size() || posting.parts[at]->number != number) posting.missing.push_back(number);
        }
        // "=ybegin part=0" numbers nothing: counted as found, it would let a posting pass for
        // complete with more parts than its total.
        if (posting.parts.front()->number < 1)
            failPosting(posting, numbered("part", posting.parts.front()->number) + " is not a part number");
        if (posting.total > 0 && posting.parts.back()->number > posting.total)
            failPosting(posting, numbered("part", posting.parts.back()->number) + " is beyond the total of " +
                                     std::to_string(posting.total));
        if (posting.kind == PostingKind::yenc) checkYencRanges(posting);
        if (posting.kind == PostingKind::uu) checkUuMarks(posting);
        if (posting.status == PostingStatus::complete && (!posting.missing.empty() || posting.total == 0)) {
            posting.status = PostingStatus::incomplete;
            if (posting.missing.empty()) {
                posting.reason = "the number of parts is unknown (the last part was not found)";
            } else {
                posting.reason = "missing part";
                posting.reason += posting.missing.size() > 1 ? "s" : "";
                for (std::size_t i = 0; i < posting.missing.size(); ++i)
                    posting.reason += (i ? ", " : " ") + std::to_string(posting.missing[i]);
            }
        }
        postings.push_back(std::move(posting));
    }
    std::stable_sort(postings.begin(), postings.end(), [](const PostingGroup& a, const PostingGroup& b) {
        return std::make_pair(static_cast<int>(a.kind), a.name) < std::make_pair(static_cast<int>(b.kind), b.name);
    });
    return postings;
}

}  // namespace kodra
