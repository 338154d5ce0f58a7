// The output of the part being decoded: a file, a caller's sink, or nothing (a skipped or
// listed part). Decoded bytes are gathered in one buffer and handed on in large chunks.
#pragma once

#include "frame/byte_sink.h"
#include "frame/stdio_file.h"
#include "kodra32.h"
#include "platform/platform.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kodra {

// Hands a part's bytes to a KodraSink's data callback.
class CallbackSink final : public ByteSink {
public:
    explicit CallbackSink(const KodraSink& sink) noexcept : sink_(sink) {}
    bool write(const void* data, std::size_t size) noexcept override;

private:
    const KodraSink& sink_;
};

// Writes a part's bytes to an open file.
class FileSink final : public ByteSink {
public:
    explicit FileSink(StdioFile file) noexcept : file_(std::move(file)) {}
    bool write(const void* data, std::size_t size) noexcept override;
    // Closes the file; false when a write or the close failed.
    bool close() noexcept;

private:
    StdioFile file_;
};

class PartOutput final : public ByteSink {
public:
    enum class State {
        none,     // no output
        open,     // decoded bytes go to the target
        skipped,  // a declined or failed part: its lines are consumed, nothing is written
    };

    PartOutput() = default;
    ~PartOutput() override;
    PartOutput(const PartOutput&) = delete;
    PartOutput& operator=(const PartOutput&) = delete;

    State state() const noexcept { return state_; }
    bool present() const noexcept { return state_ != State::none; }
    bool isOpen() const noexcept { return state_ == State::open; }
    bool finished() const noexcept { return finished_; }
    const std::string& path() const noexcept { return path_; }

    // Sends the part's bytes to a file at path.
    void openFile(StdioFile file, std::string path) noexcept;
    // Sends the part's bytes to a caller's sink (begin already accepted it); part is kept
    // for the sink's end callback.
    void openSink(const KodraSink& sink, const KodraPart& part, std::string name, std::string nameUtf8) noexcept;
    // Consumes the part without writing; with a sink, its end callback gets the part as skipped.
    void skip() noexcept;
    void skip(const KodraSink& sink, const KodraPart& part, std::string name, std::string nameUtf8) noexcept;
    // The part has had its end: nothing more is appended to this output.
    void finish() noexcept { finished_ = true; }

    // Room for at least size decoded bytes at the returned pointer (null when memory is
    // short, which fails the part), then commit what was written there.
    std::uint8_t* reserve(std::size_t size) noexcept;
    void commit(std::size_t size) noexcept { used_ += size; }
    // ByteSink: appends bytes (ignored unless open).
    bool write(const void* data, std::size_t size) noexcept override;

    // Ends the part: flushes and closes the file or tells the sink. False when nothing was
    // open, or a write, the close or the sink failed: the part then counts as skipped.
    bool close() noexcept;
    // Ends a part whose decoding failed; what was written stays.
    void fail() noexcept;
    // Ends a part that failed its checks or lost its end: a file keeps what was written only
    // under "<path>.incomplete" (numbered when taken; removed when it cannot be moved), never
    // under its own name; a sink's end gets KODRA_PART_FAILED. path() then names where the
    // bytes are, or is empty.
    void failIncomplete() noexcept;

private:
    bool flush() noexcept;
    void endSink(int status) noexcept;

    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
    std::unique_ptr<FileSink> file_;
    std::unique_ptr<CallbackSink> callback_;
    const KodraSink* sink_ = nullptr;  // told of the part's end
    KodraPart part_{};
    std::string name_, nameUtf8_;
    std::string path_;
    platform::FileIdentity identity_{};
    bool identified_ = false;  // identity_ is the open file's
    State state_ = State::none;
    bool finished_ = false;
    bool failed_ = false;  // a write failed or the sink stopped the part
};

}  // namespace kodra
