// The MIME boundaries a message declares, as the text reader remembers them, and the
// test whether a line is a delimiter line of one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kodra {

// Remembers the first kMaxCount distinct boundaries (later ones are ignored; a message
// needs one per nesting level), each cut to kMaxLength characters. Looking a line up
// costs at most kMaxLength hash steps, whatever the number of boundaries, and nothing
// for a line that does not begin with "--".
class MessageBoundaries {
public:
    static constexpr std::size_t kMaxCount = 1024;
    static constexpr std::size_t kMaxLength = 128;

    enum class Match { none, first, other };

    // Remembers boundary (cut to kMaxLength); an empty or known one, or one past the cap,
    // adds nothing. May throw std::bad_alloc.
    void add(const std::string& boundary);

    bool empty() const noexcept { return boundaries_.empty(); }
    std::size_t size() const noexcept { return boundaries_.size(); }

    // Whether line is a delimiter line, one that begins with "--" and a remembered
    // boundary (RFC 2046, 5.1.1): of the first boundary remembered (when it is among
    // those the line begins with), of another, or of none.
    Match find(const char* line) const noexcept;

    // Hash steps and text comparisons made by find so far: the cost a test can count.
    std::size_t work() const noexcept { return work_; }

private:
    std::vector<std::string> boundaries_;
    // Index of each boundary by the hash of its text and its length.
    std::unordered_multimap<std::uint64_t, std::size_t> byHash_;
    bool lengthUsed_[kMaxLength + 1] = {};
    mutable std::size_t work_ = 0;
};

}  // namespace kodra
