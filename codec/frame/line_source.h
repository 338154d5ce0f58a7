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
    kCr,  // a lone CR, where the source reads CR line ends
};

// What a CR not followed by LF is.
enum class LoneCr : unsigned char {
    inLine,  // part of the line, as the classic readers had it
    // A line end too when the input's first 64 KiB (all of it, when shorter) hold more than
    // four lone CRs for every LF: a classic Mac file. LF and CR LF still end lines then.
    detect,
};

enum class SourceFailure : unsigned char {
    kNone,
    kReadError,  // the stream reported an error; the lines completed before it were handed out
    kNoMemory,   // the buffer could not grow to hold the line
};

// The bytes of a line end.
constexpr std::string_view lineEndBytes(LineEnd end) noexcept {
    switch (end) {
        case LineEnd::kLf: return "\n";
        case LineEnd::kCrLf: return "\r\n";
        case LineEnd::kCr: return "\r";
        case LineEnd::kNone: break;
    }
    return {};
}

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
    LoneCr loneCr = LoneCr::inLine;
};

// A recorded input position to return to.
struct SourceMark {
    std::uint64_t offset = 0;
};

// Lines are LF or CR LF terminated (a CR not followed by LF is part of the line, unless the
// options detect CR line ends and the input has them); the last line may have no line end.
// Offsets count the bytes from where the source began.
//
// Memory: a block is read in place. A stream is read with fread into one buffer holding
// the bytes from the oldest of the live mark and the last line handed out up to the end of
// the line being found; it doubles when that does not fit, so it stays below twice that
// span plus two reads. A cap bounds the line part of that span to the cap plus two bytes.
// Detecting CR line ends reads the first 64 KiB and one byte more before the first line.
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

    // Copies the next input bytes, stopping after an LF (whatever the line ends), to at most
    // size - 1 bytes, and ends them with a NUL: fgets on the source, for callers that keep
    // its fixed pieces. Returns the bytes copied, 0 at the end of the input, on failure or
    // when size < 2.
    std::size_t readPiece(char* buffer, std::size_t size) noexcept;

    // The bytes read ahead from the next line's first byte on, without reading more: lets a
    // decoder take many whole lines at once. Valid until the next call that moves the source.
    std::string_view buffered() const noexcept {
        return failed() ? std::string_view() : std::string_view(data_ + cursor_, size_ - cursor_);
    }

    // The length of the line end that starts at byte `at` of buffered(), as next would read
    // it (1 or 2), or 0 when none starts there or it cannot tell without reading more.
    std::size_t lineEndAt(std::size_t at) const noexcept;

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
    // Which bytes end lines: LF (after an optional CR), or also a lone CR; undecided until
    // the first line is asked for when CR line ends are detected.
    enum class Breaks : unsigned char { lf, undecided, cr };

    // Reads ahead the detection window and decides between LF and CR line ends.
    void decideBreaks() noexcept;
    // The index of the first line-end byte in [from, to), or to.
    std::size_t findBreak(std::size_t from, std::size_t to) const noexcept;
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
    std::size_t scanned_ = 0;  // no line-end byte lies in [cursor_, scanned_)
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
    Breaks breaks_;
};

}  // namespace kodra
