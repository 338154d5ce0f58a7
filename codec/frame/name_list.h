// NameList: a growable list of short texts kept back to back in one block.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace kodra {

// Texts stand back to back, each followed by a NUL, and the list ends with one
// more NUL. Texts handed out point into the block and stay valid until the next
// add, reset or release. The block is a whole number of 1024-byte steps, at least
// doubling when it grows (so that n adds cost O(n) copying), and is zero-filled; an
// index of where each text starts makes getAt constant time.
class NameList {
public:
    static constexpr int kStep = 1024;

    NameList() noexcept;
    ~NameList() = default;
    NameList(const NameList&) = delete;
    NameList& operator=(const NameList&) = delete;

    // Empties the list and shrinks the block back to one step.
    void reset() noexcept;
    // Appends text (an empty text adds nothing). Returns 1, or 0 when the block
    // could not grow; the list is then unchanged.
    int add(const char* text) noexcept;
    // The text at a zero-based index, or null when there is none.
    const char* getAt(int index) const noexcept;
    // The text after `text` (one handed out by this list), or null after the last.
    const char* next(const char* text) const noexcept;
    // Frees the block; the list then holds nothing until reset. Harmless twice.
    void release() noexcept;

    int count() const noexcept { return count_; }
    int capacity() const noexcept { return capacity_; }
    bool holdsBlock() const noexcept { return block_ != nullptr; }

private:
    // Resizes the block to newCapacity bytes, keeping its content and zero-filling the rest.
    bool resizeBlock(int newCapacity) noexcept;

    std::unique_ptr<char[]> block_;
    std::vector<int> starts_;  // offset of each text in block_
    int used_ = 0;
    int capacity_ = 0;
    int count_ = 0;
};

}  // namespace kodra
