#include "decode/boundary_list.h"

#include "decode/text_decoders.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kodra {
namespace {

constexpr std::uint64_t kHashBase = 1099511628211ull;

// The hash of a text, built one character at a time so that a line's prefixes come
// with theirs.
std::uint64_t extend(std::uint64_t hash, char c) noexcept { return hash * kHashBase + static_cast<unsigned char>(c); }

std::uint64_t hashOf(const std::string& text) noexcept {
    std::uint64_t hash = 0;
    for (const char c : text) hash = extend(hash, c);
    return hash;
}

// The separator shapes that mail programs write, accepted even when the boundary itself
// was never read: "----" followed somewhere by "=_", or a line holding "=======" with "=_"
// after its fourth character or "------" at its fifth.
bool hasSeparatorShape(std::string_view line) noexcept {
    const bool dashedStart = line.compare(0, 4, "----") == 0;
    // The common line has neither shape: it costs one scan, for "=".
    if (!dashedStart && (line.find('=') == std::string_view::npos || line.find("=======") == std::string_view::npos))
        return false;
    const bool markAfterFour = line.size() >= 4 && line.find("=_", 4) != std::string_view::npos;
    if (dashedStart) return markAfterFour;
    const bool dashesAtFive = line.size() >= 10 && line.compare(4, 6, "------") == 0;
    return markAfterFour || dashesAtFive;
}

}  // namespace

std::size_t BoundaryList::find(const std::string& delimiter, std::uint64_t hash) const noexcept {
    const auto candidates = byHash_.equal_range(hash);
    for (auto hit = candidates.first; hit != candidates.second; ++hit)
        if (entries_[hit->second].delimiter == delimiter) return hit->second;
    return entries_.size();
}

void BoundaryList::forget(std::size_t index) noexcept {
    Entry& entry = entries_[index];
    const auto candidates = byHash_.equal_range(entry.hash);
    for (auto hit = candidates.first; hit != candidates.second; ++hit) {
        if (hit->second == index) {
            byHash_.erase(hit);
            break;
        }
    }
    --perLength_[entry.delimiter.size()];
}

void BoundaryList::add(const char* text) noexcept {
    if (!text || !*text) return;
    // Out of memory, the boundary is simply missing, as a full list would leave it; every
    // step that may fail comes before the list changes, or is undone.
    try {
        // Kept as the delimiter "--" + boundary, which is what a boundary line begins with.
        std::string delimiter = "--" + std::string(text, std::min(std::strlen(text), kMaxBoundary));
        const std::uint64_t hash = hashOf(delimiter);
        std::size_t index = find(delimiter, hash);
        if (index < entries_.size()) {
            entries_[index].declared = ++clock_;
            return;
        }
        if (entries_.size() < kMaxRemembered) {
            index = entries_.size();
            entries_.emplace_back();
            try {
                byHash_.emplace(hash, index);
            } catch (const std::bad_alloc&) {
                entries_.pop_back();
                return;
            }
        } else {
            // The least recently declared gives its place.
            index = 0;
            for (std::size_t i = 1; i < entries_.size(); ++i)
                if (entries_[i].declared < entries_[index].declared) index = i;
            byHash_.emplace(hash, index);
            forget(index);  // should the hashes be equal, either of the two nodes may go
        }
        ++perLength_[delimiter.size()];
        Entry& entry = entries_[index];
        entry.delimiter = std::move(delimiter);
        entry.hash = hash;
        entry.declared = ++clock_;
    } catch (const std::bad_alloc&) {
    }
}

bool BoundaryList::startsWithListed(std::string_view line) const noexcept {
    std::uint64_t hash = 0;
    const std::size_t longest = std::min(line.size(), kMaxDelimiter);
    for (std::size_t length = 1; length <= longest; ++length) {
        hash = extend(hash, line[length - 1]);
        if (perLength_[length] == 0) continue;
        const auto candidates = byHash_.equal_range(hash);
        for (auto hit = candidates.first; hit != candidates.second; ++hit) {
            const std::string& delimiter = entries_[hit->second].delimiter;
            if (delimiter.size() == length && std::memcmp(line.data(), delimiter.data(), length) == 0) return true;
        }
    }
    return false;
}

bool BoundaryList::matches(std::string_view line) const noexcept {
    if (entries_.empty()) return false;
    // Data lines never begin with "--": for them the boundaries are not even looked at.
    if (line.size() >= 2 && line[0] == '-' && line[1] == '-' && startsWithListed(line)) return true;
    return hasSeparatorShape(line);
}

}  // namespace kodra
