// A temporary stdio stream holding given bytes, for tests of code that reads FILE*.
#pragma once

#include "support/portable.h"

#include <cstdio>
#include <memory>
#include <string>

namespace kodra::testing {

struct StreamCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;

// A read/write binary stream positioned at the start of `bytes`.
inline Stream streamWith(const std::string& bytes) {
    Stream stream(kodra::testing::temporaryStream());
    if (stream) {
        std::fwrite(bytes.data(), 1, bytes.size(), stream.get());
        std::rewind(stream.get());
    }
    return stream;
}

// Everything the stream holds, from its start.
inline std::string contentsOf(std::FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string bytes;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, stream)) > 0;) bytes.append(chunk, got);
    return bytes;
}

}  // namespace kodra::testing
