// Stream calls without the per-call lock, for the hot loops: the library's streams
// belong to one call on one thread, so stdio's locking buys nothing there.
#pragma once

#include <cstddef>
#include <cstdio>

namespace kodra {

// Larger stream buffers for the long sequential reads and writes of decoding and
// encoding (fewer system calls); set before the stream's first read or write.
inline constexpr std::size_t kStreamBufferSize = 64 * 1024;

inline void useLargeBuffer(std::FILE* stream) noexcept {
    if (stream) std::setvbuf(stream, nullptr, _IOFBF, kStreamBufferSize);
}

inline char* getsUnlocked(char* buffer, int size, std::FILE* stream) noexcept {
#if defined(__GLIBC__)
    return fgets_unlocked(buffer, size, stream);
#else
    return std::fgets(buffer, size, stream);
#endif
}

inline int getcUnlocked(std::FILE* stream) noexcept {
#if defined(_WIN32)
    return _getc_nolock(stream);
#else
    return getc_unlocked(stream);
#endif
}

inline std::size_t writeUnlocked(const void* data, std::size_t size, std::size_t count,
                                 std::FILE* stream) noexcept {
#if defined(__GLIBC__)
    return fwrite_unlocked(data, size, count, stream);
#elif defined(_WIN32)
    return _fwrite_nolock(data, size, count, stream);
#else
    return std::fwrite(data, size, count, stream);
#endif
}

}  // namespace kodra
