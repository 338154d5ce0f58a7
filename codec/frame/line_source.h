// The line source: one buffered reader per job that owns the reading of its input and
// hands out lines of any length as views, with one-line unread and a mark to return to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string_view>

namespace kodra {

// How a handed-out line ended in the input.
enum class LineEnd : unsigned char {
    kNone,  // the input ended, or the line continues in the next piece
    kLf,
    kCrLf,
};

enum class SourceFailure : unsigned char {
    kNone,
    kReadError,  // the stream reported an error; the lines completed before it were handed out
    kNoMemory,   // the buffer could not grow to hold the line
};

struct SourceLine {
    std::string_view text;  // without its line end; NUL bytes included
    LineEnd end = LineEnd::kNone;
    bool continues = false;  // a piece of a line longer than the cap: its rest comes next
};

// No cap: a line is always handed out whole.
inline constexpr std::size_t kNoLineCap = std::numeric_limits<std::size_t>::max();
inline constexpr std::size_t kDefaultReadSize = 64 * 1024;

struct LineSourceOptions {
    // A line longer than this comes in pieces of exactly this many bytes, each but the
    // last flagged as continuing (at least 1).
    std::size_t maxLineLength = kNoLineCap;
    // Bytes asked of the stream by each read (at least 1).
    std::size_t readSize = kDefaultReadSize;
};

// A recorded input position to return to.
struct SourceMark {
    std::uint64_t offset = 0;
};

// Lines are LF or CR LF terminated (a CR not followed by LF is part of the line); the last
// line may have no line end. Offsets count the bytes from where the source began.
//
// Memory: a block is read in place. A stream is read with fread into one buffer holding
// the bytes from the oldest of the live mark and the last line handed out up to the end of
// the line being found; it doubles when that does not fit, so it stays below twice that
// span plus two reads. A cap bounds the line part of that span to the cap plus two bytes.
// The stream is not owned, and its position after the source is wherever reading ahead
// left it.
class LineSource {
public:
    // Reads the open stream from its current position.
    explicit LineSource(std::FILE* input, LineSourceOptions options = {}) noexcept;
    // Reads size bytes at data, which must outlive the source; views point into it.
    LineSource(const char* data, std::size_t size, LineSourceOptions options = {}) noexcept;
    ~LineSource();
    LineSource(const LineSource&) = delete;
    LineSource& operator=(const LineSource&) = delete;

    // Sets line to the next line (or piece), valid until the next call that moves the
    // source (next, readPiece, returnTo); false at the end of the input or on failure.
    bool next(SourceLine& line) noexcept;

    // Makes the line last handed out by next the next one again; does nothing when there is
    // none, or after a second call.
    void unread() noexcept;

    // Makes the rest of the line last handed out by next, from its byte `consumed` on (at
    // most its length), the next line, line end included, for readers that stop inside a
    // line; does nothing when there is none, or after unread.
    void unreadTail(std::size_t consumed) noexcept;

    // Copies the next input bytes, stopping after an LF, to at most size - 1 bytes, and ends
    // them with a NUL: fgets on the source, for callers that keep its fixed pieces. Returns
    // the bytes copied, 0 at the end of the input, on failure or when size < 2.
    std::size_t readPiece(char* buffer, std::size_t size) noexcept;

    // The bytes read ahead from the next line's first byte on, without reading more: lets a
    // decoder take many whole lines at once. Valid until the next call that moves the source.
    std::string_view buffered() const noexcept {
        return failed() ? std::string_view() : std::string_view(data_ + cursor_, size_ - cursor_);
    }

    // Consumes the first `bytes` of buffered() (at most all of it), which the caller took as
    // whole lines; nothing can be unread after it.
    void skip(std::size_t bytes) noexcept;

    // The offset of the next line's first byte.
    std::uint64_t position() const noexcept;

    // Records the position, replacing any earlier mark; the bytes from it are kept.
    SourceMark mark() noexcept;

    // Goes back (or forward) to mark when it is at or after the live mark and within what
    // was read; false otherwise, or after a failure.
    bool returnTo(SourceMark mark) noexcept;

    // Forgets the live mark, letting its bytes go.
    void dropMark() noexcept;

    bool failed() const noexcept { return failure_ != SourceFailure::kNone; }
    SourceFailure failure() const noexcept { return failure_; }

private:
    // Reads once more into the buffer; false when nothing came (end or failure).
    bool refill() noexcept;
    // At an incomplete line with nothing more to read: turns a read error into the failure;
    // true when the source has failed.
    bool incompleteAtError() noexcept;
    std::size_t oldestNeeded() const noexcept;
    bool makeRoom() noexcept;
    void moveTo(std::size_t index) noexcept;

    std::FILE* input_ = nullptr;
    char* buffer_ = nullptr;  // owned, for a stream
    std::size_t capacity_ = 0;
    const char* data_ = nullptr;  // the bytes at offset base_
    std::size_t size_ = 0;
    std::uint64_t base_ = 0;
    std::size_t cursor_ = 0;   // index of the next line
    std::size_t scanned_ = 0;  // no LF lies in [cursor_, scanned_)
    std::size_t lastStart_ = 0;
    std::size_t lastLength_ = 0;  // text bytes of the last line handed out
    bool hasLast_ = false;
    bool marked_ = false;
    std::uint64_t markOffset_ = 0;
    bool ended_ = false;      // the stream has nothing more
    bool readError_ = false;  // ... because reading it failed
    SourceFailure failure_ = SourceFailure::kNone;
    std::size_t cap_;
    std::size_t readSize_;
};

}  // namespace kodra
