// Where decoded bytes go: a file, a caller's callback, or nowhere. The decoders write to
// this interface in chunks, so one core serves files, memory and callbacks.
#pragma once

#include <cstddef>

namespace kodra {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes size bytes at data (size may be 0); false when they could not be taken, which
    // fails the part being written.
    virtual bool write(const void* data, std::size_t size) noexcept = 0;
};

}  // namespace kodra
