#include "frame/line_source.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kodra {
namespace {

std::size_t atLeastOne(std::size_t value) noexcept { return value == 0 ? 1 : value; }

// The bytes that decide whether lone CRs end lines.
constexpr std::size_t kDetectionWindow = 64 * 1024;

}  // namespace

LineSource::LineSource(std::FILE* input, LineSourceOptions options) noexcept
    : input_(input), ended_(input == nullptr), cap_(atLeastOne(options.maxLineLength)),
      readSize_(atLeastOne(options.readSize)),
      breaks_(options.loneCr == LoneCr::detect ? Breaks::undecided : Breaks::lf) {}

LineSource::LineSource(const char* data, std::size_t size, LineSourceOptions options) noexcept
    : data_(data), size_(data ? size : 0), ended_(true), cap_(atLeastOne(options.maxLineLength)),
      readSize_(atLeastOne(options.readSize)),
      breaks_(options.loneCr == LoneCr::detect ? Breaks::undecided : Breaks::lf) {}

LineSource::~LineSource() { std::free(buffer_); }

std::uint64_t LineSource::position() const noexcept { return base_ + cursor_; }

std::size_t LineSource::oldestNeeded() const noexcept {
    std::size_t oldest = cursor_;
    if (hasLast_) oldest = std::min(oldest, lastStart_);
    if (marked_) oldest = std::min(oldest, static_cast<std::size_t>(markOffset_ - base_));
    return oldest;
}

void LineSource::moveTo(std::size_t index) noexcept {
    cursor_ = index;
    scanned_ = index;
}

// Makes room for one read at the buffer's end: moves the needed bytes to the front while
// they fill at most half of it, else doubles it, so that every byte is moved a bounded
// number of times on average.
bool LineSource::makeRoom() noexcept {
    if (capacity_ - size_ >= readSize_) return true;
    const std::size_t keep = oldestNeeded();
    const std::size_t live = size_ - keep;
    char* target = buffer_;
    std::size_t capacity = capacity_;
    if (live > capacity_ / 2 || capacity_ - live < readSize_) {
        constexpr std::size_t kHalf = std::numeric_limits<std::size_t>::max() / 2;
        if (readSize_ > kHalf || live > kHalf - readSize_ || capacity_ > kHalf) {
            failure_ = SourceFailure::kNoMemory;
            return false;
        }
        capacity = std::max(capacity_ * 2, 2 * (live + readSize_));
        target = static_cast<char*>(std::malloc(capacity));
        if (!target) {
            failure_ = SourceFailure::kNoMemory;
            return false;
        }
    }
    if (live) std::memmove(target, buffer_ + keep, live);
    if (target != buffer_) {
        std::free(buffer_);
        buffer_ = target;
        capacity_ = capacity;
    }
    data_ = buffer_;
    size_ = live;
    base_ += keep;
    cursor_ -= keep;
    scanned_ -= keep;
    if (hasLast_) lastStart_ -= keep;
    return true;
}

bool LineSource::refill() noexcept {
    if (ended_ || failed() || !makeRoom()) return false;
    const std::size_t got = std::fread(buffer_ + size_, 1, readSize_, input_);
    size_ += got;
    if (got < readSize_) {
        // The complete lines before an error are still handed out.
        readError_ = std::ferror(input_) != 0;
        ended_ = true;
    }
    return got > 0;
}

bool LineSource::incompleteAtError() noexcept {
    if (readError_) failure_ = SourceFailure::kReadError;
    return failed();
}

// A classic Mac file has a lone CR wherever others have an LF; a few lone CRs among LF
// lines (a CR inside a name, bytes of a binary part) keep LF line ends. The window is
// read one byte past its end, so that the same bytes decide at every read size.
void LineSource::decideBreaks() noexcept {
    while (size_ - cursor_ <= kDetectionWindow && refill()) {
    }
    const std::size_t end = std::min(size_, cursor_ + kDetectionWindow);
    std::size_t loneCrs = 0;
    std::size_t lfs = 0;
    for (std::size_t i = cursor_; i < end; ++i) {
        if (data_[i] == '\n') ++lfs;
        else if (data_[i] == '\r' && (i + 1 == size_ || data_[i + 1] != '\n')) ++loneCrs;
    }
    breaks_ = loneCrs > 4 * lfs ? Breaks::cr : Breaks::lf;
}

std::size_t LineSource::findBreak(std::size_t from, std::size_t to) const noexcept {
    if (from >= to) return to;
    if (breaks_ != Breaks::cr) {
        const void* lf = std::memchr(data_ + from, '\n', to - from);
        return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data_) : to;
    }
    for (std::size_t i = from; i < to; ++i)
        if (data_[i] == '\r' || data_[i] == '\n') return i;
    return to;
}

bool LineSource::next(SourceLine& line) noexcept {
    if (failed()) return false;
    if (breaks_ == Breaks::undecided) {
        decideBreaks();
        if (failed()) return false;
    }
    // A line of at most cap bytes has its line end within cap + 2 bytes (CR LF after cap
    // bytes).
    const bool capped = cap_ <= std::numeric_limits<std::size_t>::max() - 2;
    for (;;) {
        const std::size_t available = size_ - cursor_;
        const std::size_t window = capped ? std::min(available, cap_ + 2) : available;
        const std::size_t stop = cursor_ + window;
        const std::size_t at = findBreak(std::max(scanned_, cursor_), stop);
        std::size_t length = 0;
        std::size_t consumed = 0;
        LineEnd end = LineEnd::kNone;
        if (at < stop) {
            length = at - cursor_;
            if (data_[at] == '\n') {
                consumed = length + 1;
                end = LineEnd::kLf;
                if (length > 0 && data_[at - 1] == '\r') {
                    --length;
                    end = LineEnd::kCrLf;
                }
            } else {
                // A CR where CR line ends are read: an LF right after it belongs to it.
                if (at + 1 == size_ && !ended_) {
                    scanned_ = at;
                    refill();
                    if (failed()) return false;
                    continue;
                }
                consumed = length + 1;
                end = LineEnd::kCr;
                if (at + 1 < size_ && data_[at + 1] == '\n') {
                    ++consumed;
                    end = LineEnd::kCrLf;
                }
            }
        } else {
            scanned_ = stop;
            if (!(capped && available >= cap_ + 2) && refill()) continue;
            if (incompleteAtError()) return false;
            if (available == 0) return false;
            // The end of the input, or a line longer than the cap.
            length = available;
            consumed = available;
        }
        const char* start = data_ + cursor_;  // a refill may have moved the bytes
        const bool piece = length > cap_;
        if (piece) {
            length = cap_;
            consumed = cap_;
            end = LineEnd::kNone;
        }
        line = SourceLine{std::string_view(start, length), end, piece};
        lastStart_ = cursor_;
        lastLength_ = length;
        hasLast_ = true;
        moveTo(cursor_ + consumed);
        return true;
    }
}

std::size_t LineSource::lineEndAt(std::size_t at) const noexcept {
    if (failed() || breaks_ == Breaks::undecided || at >= size_ - cursor_) return 0;
    const std::size_t i = cursor_ + at;
    if (data_[i] == '\n') return 1;
    if (data_[i] != '\r') return 0;
    if (i + 1 < size_) return data_[i + 1] == '\n' ? 2 : breaks_ == Breaks::cr ? 1 : 0;
    return breaks_ == Breaks::cr && ended_ ? 1 : 0;
}

void LineSource::skip(std::size_t bytes) noexcept {
    if (failed()) return;
    hasLast_ = false;
    moveTo(cursor_ + std::min(bytes, size_ - cursor_));
}

void LineSource::unread() noexcept {
    if (!hasLast_) return;
    hasLast_ = false;
    moveTo(lastStart_);
}

void LineSource::unreadTail(std::size_t consumed) noexcept {
    if (!hasLast_) return;
    hasLast_ = false;
    moveTo(lastStart_ + std::min(consumed, lastLength_));
}

std::size_t LineSource::readPiece(char* buffer, std::size_t size) noexcept {
    if (!buffer || size < 2 || failed()) return 0;
    const std::size_t most = size - 1;
    for (;;) {
        const std::size_t available = size_ - cursor_;
        const std::size_t window = std::min(available, most);
        const auto* lf = static_cast<const char*>(window ? std::memchr(data_ + cursor_, '\n', window) : nullptr);
        std::size_t count = 0;
        if (lf) {
            count = static_cast<std::size_t>(lf - (data_ + cursor_)) + 1;
        } else if (window < most && refill()) {
            continue;
        } else {
            if (window < most && incompleteAtError()) return 0;
            if (failed()) return 0;
            count = window;
        }
        if (count == 0) return 0;
        std::memcpy(buffer, data_ + cursor_, count);
        buffer[count] = '\0';
        hasLast_ = false;
        moveTo(cursor_ + count);
        return count;
    }
}

SourceMark LineSource::mark() noexcept {
    marked_ = true;
    markOffset_ = position();
    return SourceMark{markOffset_};
}

bool LineSource::returnTo(SourceMark mark) noexcept {
    if (failed() || !marked_ || mark.offset < markOffset_ || mark.offset > base_ + size_) return false;
    hasLast_ = false;
    moveTo(static_cast<std::size_t>(mark.offset - base_));
    return true;
}

void LineSource::dropMark() noexcept { marked_ = false; }

}  // namespace kodra
