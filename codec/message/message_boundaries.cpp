#include "message/message_boundaries.h"

#include <cstring>

namespace kodra {
namespace {

constexpr std::uint64_t kHashBase = 1099511628211ull;

// One step of the polynomial hash of a text's prefixes.
std::uint64_t extend(std::uint64_t hash, char c) noexcept {
    return hash * kHashBase + static_cast<unsigned char>(c);
}

// The key of a prefix: its hash, mixed with its length so that prefixes of different
// lengths spread apart.
std::uint64_t keyOf(std::uint64_t hash, std::size_t length) noexcept {
    std::uint64_t key = hash ^ (static_cast<std::uint64_t>(length) * 0x9E3779B97F4A7C15ull);
    key ^= key >> 31;
    key *= 0xBF58476D1CE4E5B9ull;
    return key ^ (key >> 29);
}

}  // namespace

void MessageBoundaries::add(const std::string& boundary) {
    if (boundary.empty() || boundaries_.size() >= kMaxCount) return;
    const std::string text = boundary.substr(0, kMaxLength);
    std::uint64_t hash = 0;
    for (const char c : text) hash = extend(hash, c);
    const std::uint64_t key = keyOf(hash, text.size());
    const auto known = byHash_.equal_range(key);
    for (auto hit = known.first; hit != known.second; ++hit)
        if (boundaries_[hit->second] == text) return;
    boundaries_.push_back(text);
    try {
        byHash_.emplace(key, boundaries_.size() - 1);
    } catch (...) {
        boundaries_.pop_back();
        throw;
    }
    lengthUsed_[text.size()] = true;
}

MessageBoundaries::Match MessageBoundaries::find(const char* line) const noexcept {
    if (boundaries_.empty() || line[0] != '-' || line[1] != '-') return Match::none;
    const char* text = line + 2;
    std::size_t best = boundaries_.size();  // the earliest boundary the line begins with
    std::uint64_t hash = 0;
    for (std::size_t length = 1; length <= kMaxLength && text[length - 1] != '\0'; ++length) {
        hash = extend(hash, text[length - 1]);
        ++work_;
        if (!lengthUsed_[length]) continue;
        const auto candidates = byHash_.equal_range(keyOf(hash, length));
        for (auto hit = candidates.first; hit != candidates.second; ++hit) {
            const std::string& boundary = boundaries_[hit->second];
            ++work_;
            if (hit->second < best && boundary.size() == length && std::memcmp(boundary.data(), text, length) == 0)
                best = hit->second;
        }
    }
    if (best == boundaries_.size()) return Match::none;
    return best == 0 ? Match::first : Match::other;
}

}  // namespace kodra
