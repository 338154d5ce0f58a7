#include "decode/part_output.h"

#include "encode/numbered_names.h"
#include "platform/stdio_unlocked.h"

#include <cstring>
#include <new>

namespace kodra {
namespace {

// Decoded bytes are handed on in chunks of about this size.
constexpr std::size_t kChunk = 256 * 1024;
// Numbered names tried for an incomplete output before it is given up.
constexpr int kIncompleteNameTries = 1000;

// Moves the file at path (still `identity`) to "<path>.incomplete" or a numbered variant
// of it; the new path, or empty (the file removed) when no name could be had.
std::string moveToIncomplete(const std::string& path, const platform::FileIdentity& identity) {
    std::string target = path + ".incomplete";
    platform::MoveResult result = platform::moveCreatedFile(path.c_str(), target.c_str(), identity);
    if (result == platform::MoveResult::targetTaken && target.size() < platform::kMaxPath) {
        char numbered[platform::kMaxPath];
        std::memcpy(numbered, target.c_str(), target.size() + 1);
        for (int tries = 0; tries < kIncompleteNameTries && result == platform::MoveResult::targetTaken; ++tries) {
            if (!nextNumberedPath(numbered)) break;
            result = platform::moveCreatedFile(path.c_str(), numbered, identity);
            if (result == platform::MoveResult::moved) target = numbered;
        }
    }
    if (result == platform::MoveResult::moved) return target;
    platform::deleteCreatedFile(path.c_str(), identity);
    return std::string();
}

// A thread's spare chunk buffer. Decoding message after message (an archive, a caller's
// loop) would otherwise take and give back 256 KiB per message: fresh pages each time and,
// where the allocator hands memory back eagerly (Dask's workers set MALLOC_TRIM_THRESHOLD_),
// a map and an unmap per message.
thread_local std::unique_ptr<std::uint8_t[]> spareChunk;

}  // namespace

PartOutput::~PartOutput() {
    if (buffer_ && capacity_ == kChunk && !spareChunk) spareChunk = std::move(buffer_);
}

bool CallbackSink::write(const void* data, std::size_t size) noexcept {
    return size == 0 || sink_.data(sink_.context, data, size) != 0;
}

bool FileSink::write(const void* data, std::size_t size) noexcept {
    return size == 0 || writeUnlocked(data, 1, size, file_.get()) == size;
}

bool FileSink::close() noexcept { return file_ && closeStdioFile(file_); }

void PartOutput::openFile(StdioFile file, std::string path) noexcept {
    identified_ = file && platform::identifyOpenFile(file.get(), identity_);
    file_.reset(new (std::nothrow) FileSink(std::move(file)));
    path_ = std::move(path);
    state_ = file_ ? State::open : State::skipped;
    finished_ = false;
    failed_ = false;
    used_ = 0;
}

void PartOutput::openSink(const KodraSink& sink, const KodraPart& part, std::string name,
                          std::string nameUtf8) noexcept {
    skip(sink, part, std::move(name), std::move(nameUtf8));
    callback_.reset(new (std::nothrow) CallbackSink(sink));
    if (callback_) state_ = State::open;
}

void PartOutput::skip() noexcept {
    file_.reset();
    callback_.reset();
    sink_ = nullptr;
    path_.clear();
    state_ = State::skipped;
    finished_ = false;
    failed_ = false;
    used_ = 0;
}

void PartOutput::skip(const KodraSink& sink, const KodraPart& part, std::string name, std::string nameUtf8) noexcept {
    skip();
    sink_ = &sink;
    name_ = std::move(name);
    nameUtf8_ = std::move(nameUtf8);
    part_ = part;
    part_.name = name_.c_str();
    part_.nameSize = name_.size();
    part_.nameUtf8 = nameUtf8_.c_str();
}

std::uint8_t* PartOutput::reserve(std::size_t size) noexcept {
    if (capacity_ - used_ >= size) return buffer_.get() + used_;
    if (used_ > 0 && !flush()) return nullptr;
    if (capacity_ >= size) return buffer_.get();
    const std::size_t capacity = size > kChunk ? size : kChunk;
    if (capacity == kChunk && spareChunk) buffer_ = std::move(spareChunk);
    else buffer_.reset(new (std::nothrow) std::uint8_t[capacity]);
    capacity_ = buffer_ ? capacity : 0;
    return buffer_.get();
}

bool PartOutput::write(const void* data, std::size_t size) noexcept {
    if (state_ != State::open || failed_) return !failed_;
    // Nothing to copy: before the first chunk is taken there is no room to point at, and an
    // empty write must not fail the part for that.
    if (size == 0) return true;
    if (size >= kChunk) {  // large pieces go straight through
        if (!flush()) return false;
        ByteSink* target = file_ ? static_cast<ByteSink*>(file_.get()) : callback_.get();
        if (!target->write(data, size)) failed_ = true;
        return !failed_;
    }
    std::uint8_t* room = reserve(size);
    if (!room) {
        failed_ = true;
        return false;
    }
    std::memcpy(room, data, size);
    used_ += size;
    return true;
}

bool PartOutput::flush() noexcept {
    const std::size_t size = used_;
    used_ = 0;
    if (size == 0 || failed_ || state_ != State::open) return !failed_;
    ByteSink* target = file_ ? static_cast<ByteSink*>(file_.get()) : callback_.get();
    if (!target->write(buffer_.get(), size)) failed_ = true;
    return !failed_;
}

void PartOutput::endSink(int status) noexcept {
    if (sink_ && sink_->end) sink_->end(sink_->context, &part_, status);
    sink_ = nullptr;
}

bool PartOutput::close() noexcept {
    if (state_ != State::open) {
        endSink(KODRA_PART_SKIPPED);
        state_ = State::none;
        return false;
    }
    bool written = flush();
    if (file_) written = file_->close() && written;
    file_.reset();
    callback_.reset();
    endSink(written ? KODRA_PART_DECODED : KODRA_PART_FAILED);
    state_ = State::none;
    return written;
}

void PartOutput::fail() noexcept {
    flush();
    if (file_) file_->close();
    file_.reset();
    callback_.reset();
    endSink(KODRA_PART_FAILED);
    state_ = State::skipped;
}

void PartOutput::failIncomplete() noexcept {
    const bool toFile = file_ != nullptr;
    fail();
    if (!toFile) return;
    try {
        path_ = identified_ ? moveToIncomplete(path_, identity_) : std::string();
    } catch (...) {
        if (identified_) platform::deleteCreatedFile(path_.c_str(), identity_);
        path_.clear();
    }
    identified_ = false;
}

}  // namespace kodra
