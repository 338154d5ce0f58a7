// SHA-256 (FIPS 180-4), from the system's cryptographic library: libcrypto on POSIX,
// CNG on Windows, both using the processor's SHA instructions where it has them.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

namespace kodra::platform {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // Adds size bytes at data.
    void update(const void* data, std::size_t size) noexcept;
    // The digest of everything added; the hasher starts again empty.
    std::array<unsigned char, 32> finish() noexcept;
    // The same as 64 lower-case hex digits.
    std::string finishHex();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kodra::platform
