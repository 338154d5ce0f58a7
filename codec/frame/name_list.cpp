#include "frame/name_list.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kodra {

NameList::NameList() noexcept {
    if (resizeBlock(kStep)) capacity_ = kStep;
}

bool NameList::resizeBlock(int newCapacity) noexcept {
    std::unique_ptr<char[]> grown(new (std::nothrow) char[static_cast<std::size_t>(newCapacity)]());
    if (!grown) return false;
    if (block_) {
        // The texts and the list's closing NUL; never more than the old block holds.
        const int keep = std::min({used_ + 1, capacity_, newCapacity});
        std::memcpy(grown.get(), block_.get(), static_cast<std::size_t>(keep));
    }
    block_ = std::move(grown);
    return true;
}

void NameList::reset() noexcept {
    used_ = 0;
    count_ = 0;
    std::vector<int>().swap(starts_);
    if (capacity_ != kStep || !block_) {
        block_.reset();
        capacity_ = resizeBlock(kStep) ? kStep : 0;
    }
    if (block_) std::memset(block_.get(), 0, kStep);
}

int NameList::add(const char* text) noexcept {
    if (!text || !block_) return 0;
    const std::size_t length = std::strlen(text);
    if (length == 0) return 1;
    // The text, its NUL and the list's closing NUL must fit.
    constexpr std::size_t kLargest = static_cast<std::size_t>(0x7fffffff / kStep) * kStep;
    const std::size_t needed = static_cast<std::size_t>(used_) + length + 2;
    if (needed > kLargest) return 0;
    if (starts_.size() == starts_.capacity()) {
        try {
            starts_.reserve(starts_.empty() ? 64 : 2 * starts_.size());
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    if (needed > static_cast<std::size_t>(capacity_)) {
        // Whole steps, at least twice the block: a linear number of bytes copied in all.
        std::size_t grown = (needed + kStep - 1) / kStep * kStep;
        const std::size_t doubled = 2 * static_cast<std::size_t>(capacity_);
        if (grown < doubled) grown = doubled < kLargest ? doubled : kLargest;
        if (!resizeBlock(static_cast<int>(grown))) return 0;
        capacity_ = static_cast<int>(grown);
    }
    char* end = block_.get() + used_;
    std::memcpy(end, text, length);
    end[length] = '\0';
    end[length + 1] = '\0';
    starts_.push_back(used_);  // cannot throw: reserved above
    used_ += static_cast<int>(length) + 1;
    ++count_;
    return 1;
}

const char* NameList::getAt(int index) const noexcept {
    if (index < 0 || index >= count_ || !block_) return nullptr;
    return block_.get() + starts_[static_cast<std::size_t>(index)];
}

const char* NameList::next(const char* text) const noexcept {
    const char* following = text + std::strlen(text) + 1;
    return *following ? following : nullptr;
}

void NameList::release() noexcept {
    block_.reset();
    std::vector<int>().swap(starts_);
    used_ = 0;
    count_ = 0;
    capacity_ = 0;
}

}  // namespace kodra
