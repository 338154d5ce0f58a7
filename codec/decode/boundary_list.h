// The MIME boundaries met while one file is read, and the test whether a line is a
// boundary line for any of them.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kodra {

class BoundaryList {
public:
    static constexpr std::size_t kMaxBoundary = 128;

    // Adds a boundary; an empty one, or one already listed, adds nothing.
    void add(const char* text) noexcept;
    bool empty() const noexcept { return distinct_.empty(); }
    std::size_t size() const noexcept { return distinct_.size(); }

    // True when line is a boundary line for a listed boundary, as isBoundaryLine with
    // strict 0 says (never for an empty list). Costs the same whatever the list's length.
    bool matches(const char* line) const noexcept;

private:
    bool containsAny(const char* line, std::size_t length) const noexcept;

    std::vector<std::string> distinct_;
    std::unordered_set<std::string> seen_;
    // For long lists: boundaries by length, found through rolling hashes of the line.
    std::vector<std::size_t> lengths_;
    std::unordered_multimap<std::uint64_t, std::size_t> byHash_;
};

}  // namespace kodra
