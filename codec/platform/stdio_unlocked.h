// Stream calls without the per-call lock, for the hot loops: the library's streams
// belong to one call on one thread, so stdio's locking buys nothing there.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <new>

namespace kodra {

// Larger stream buffers for the long sequential reads and writes of decoding and
// encoding: fewer system calls than stdio's default of one page.
inline constexpr std::size_t kStreamBufferSize = 64 * 1024;

// A stream buffer that must outlive every stream it is given to (declare it before them).
class StreamBuffer {
public:
    // Gives the buffer to stream, before the stream's first read or write; without memory
    // the stream keeps its own.
    void attach(std::FILE* stream) noexcept {
        if (!stream) return;
        if (!data_) data_.reset(new (std::nothrow) char[kStreamBufferSize]);
        if (data_) std::setvbuf(stream, data_.get(), _IOFBF, kStreamBufferSize);
    }

private:
    std::unique_ptr<char[]> data_;
};

inline std::size_t writeUnlocked(const void* data, std::size_t size, std::size_t count,
                                 std::FILE* stream) noexcept {
#if defined(__GLIBC__)
    return fwrite_unlocked(data, size, count, stream);
#else
    return std::fwrite(data, size, count, stream);
#endif
}

}  // namespace kodra
