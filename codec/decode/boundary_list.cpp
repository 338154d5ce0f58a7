#include "decode/boundary_list.h"

#include "decode/text_decoders.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kodra {
namespace {

// Up to this many boundaries a plain search per boundary is fastest.
constexpr std::size_t kPlainSearchLimit = 16;
constexpr std::uint64_t kHashBase = 1099511628211ull;

std::uint64_t hashOf(const char* text, std::size_t length) noexcept {
    std::uint64_t hash = 0;
    for (std::size_t i = 0; i < length; ++i) hash = hash * kHashBase + static_cast<unsigned char>(text[i]);
    return hash ^ length;
}

}  // namespace

void BoundaryList::add(const char* text) noexcept {
    if (!text || !*text) return;
    try {
        std::string boundary(text, std::min(std::strlen(text), kMaxBoundary));
        if (!seen_.insert(boundary).second) return;
        const std::size_t index = distinct_.size();
        distinct_.push_back(boundary);
        if (std::find(lengths_.begin(), lengths_.end(), boundary.size()) == lengths_.end())
            lengths_.push_back(boundary.size());
        byHash_.emplace(hashOf(boundary.data(), boundary.size()), index);
    } catch (const std::bad_alloc&) {
        // Out of memory: the boundary is simply missing, as a full list would leave it.
    }
}

bool BoundaryList::containsAny(const char* line, std::size_t length) const noexcept {
    if (distinct_.size() <= kPlainSearchLimit) {
        for (const std::string& boundary : distinct_)
            if (std::strstr(line, boundary.c_str())) return true;
        return false;
    }
    for (const std::size_t width : lengths_) {
        if (width > length) continue;
        std::uint64_t power = 1;  // kHashBase^(width - 1)
        for (std::size_t i = 1; i < width; ++i) power *= kHashBase;
        std::uint64_t rolling = 0;
        for (std::size_t i = 0; i < width; ++i) rolling = rolling * kHashBase + static_cast<unsigned char>(line[i]);
        for (std::size_t start = 0;; ++start) {
            const auto candidates = byHash_.equal_range(rolling ^ width);
            for (auto hit = candidates.first; hit != candidates.second; ++hit) {
                const std::string& boundary = distinct_[hit->second];
                if (boundary.size() == width && std::memcmp(line + start, boundary.data(), width) == 0)
                    return true;
            }
            if (start + width >= length) break;
            rolling = (rolling - static_cast<unsigned char>(line[start]) * power) * kHashBase +
                      static_cast<unsigned char>(line[start + width]);
        }
    }
    return false;
}

bool BoundaryList::matches(const char* line) const noexcept {
    if (distinct_.empty()) return false;
    // The separator shapes hold whatever the boundary; test them once.
    if (isBoundaryLine("", line, 0)) return true;
    return containsAny(line, std::strlen(line));
}

}  // namespace kodra
