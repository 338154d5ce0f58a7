// The MIME boundaries met while one file is read, and the test whether a line is a
// boundary line for any of them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kodra {

class BoundaryList {
public:
    static constexpr std::size_t kMaxBoundary = 128;
    // Boundaries remembered at most. A file may declare any number; the ones declared
    // (or declared again) most recently are kept, so that an inner multipart never
    // pushes out the boundary of a part still open around it unless 256 other distinct
    // boundaries were declared since. A forgotten boundary no longer ends sections.
    static constexpr std::size_t kMaxRemembered = 256;

    // Adds a boundary (cut to kMaxBoundary characters), forgetting the least recently
    // declared one when kMaxRemembered are listed; an empty one adds nothing, one listed
    // already becomes the most recent.
    void add(const char* text) noexcept;
    bool empty() const noexcept { return entries_.empty(); }
    std::size_t size() const noexcept { return entries_.size(); }

    // True when line begins with "--" and a listed boundary (RFC 2046, 5.1.1), or has one
    // of the separator shapes that isBoundaryLine with strict 0 accepts; never for an
    // empty list. A line that does not begin with "--" costs one scan for "=======";
    // one that does costs at most one hash lookup per character of its first
    // kMaxBoundary + 2, whatever the list holds.
    bool matches(std::string_view line) const noexcept;
    bool matches(const char* line) const noexcept { return matches(std::string_view(line)); }

private:
    struct Entry {
        std::string delimiter;  // "--" and the boundary
        std::uint64_t hash = 0;
        std::uint64_t declared = 0;  // when last declared, for eviction
    };
    static constexpr std::size_t kMaxDelimiter = kMaxBoundary + 2;

    bool startsWithListed(std::string_view line) const noexcept;
    std::size_t find(const std::string& delimiter, std::uint64_t hash) const noexcept;
    void forget(std::size_t index) noexcept;

    std::vector<Entry> entries_;
    std::unordered_multimap<std::uint64_t, std::size_t> byHash_;  // hash to index in entries_
    std::array<std::uint32_t, kMaxDelimiter + 1> perLength_{};    // listed delimiters by length
    std::uint64_t clock_ = 0;
};

}  // namespace kodra
