// The classic exports' paths and names at their boundary: taken in the ANSI code page on
// Windows and lent to the library as UTF-8, handed back in the ANSI code page again. On
// POSIX the caller's own text is used unchanged.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <string>

namespace kodra::platform {

// A path or name argument as UTF-8. get() is null when the argument was null or could
// not be converted; failed() tells the latter apart.
class Utf8Argument {
public:
    explicit Utf8Argument(const char* ansi) noexcept;

    const char* get() const noexcept { return value_; }
    bool failed() const noexcept { return failed_; }

private:
    std::string text_;
    const char* value_ = nullptr;
    bool failed_ = false;
};

// A path buffer the library changes in place (at least kMaxPath bytes, as the classic
// exports ask of their callers), lent as UTF-8 and written back in the ANSI code page
// when the library changed it. get() is null when the caller's buffer was null or its
// path could not be converted (failed()).
class Utf8PathBuffer {
public:
    explicit Utf8PathBuffer(char* ansi) noexcept;
    Utf8PathBuffer(const Utf8PathBuffer&) = delete;
    Utf8PathBuffer& operator=(const Utf8PathBuffer&) = delete;

    char* get() noexcept { return path_; }
    bool failed() const noexcept { return failed_; }

    // Writes the changed path back into the caller's buffer; an unchanged one is left alone.
    void handBack() noexcept;

private:
    char* caller_;
    char* path_ = nullptr;
    std::size_t callerRoom_ = 0;  // what the caller's buffer is known to hold, terminator included
    std::string utf8_;
    std::string original_;
    bool failed_ = false;
};

// Copies the UTF-8 name into buffer (size bytes) in the ANSI code page, terminator
// included. False, with the buffer untouched, when it does not fit or memory is short.
bool handBackName(const char* utf8, char* buffer, std::size_t size) noexcept;

}  // namespace kodra::platform
