// SHA-256 over CNG (BCrypt), which uses the processor's SHA instructions where present.
#include "platform/sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <limits>

namespace kodra::platform {

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ready = false;  // hash is open and every update so far succeeded

    State() noexcept {
        if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) {
            algorithm = nullptr;
            return;
        }
        restart();
    }
    ~State() {
        if (hash) BCryptDestroyHash(hash);
        if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // A new hash object: a finished one cannot be used again before Windows 8.
    void restart() noexcept {
        if (hash) BCryptDestroyHash(hash);
        hash = nullptr;
        ready = algorithm && BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
        if (!ready) hash = nullptr;
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t size) noexcept {
    auto* bytes = static_cast<unsigned char*>(const_cast<void*>(data));  // BCrypt only reads it
    while (size > 0 && state_->ready) {
        const ULONG piece = size > std::numeric_limits<ULONG>::max() ? std::numeric_limits<ULONG>::max()
                                                                     : static_cast<ULONG>(size);
        if (BCryptHashData(state_->hash, bytes, piece, 0) != 0) state_->ready = false;
        bytes += piece;
        size -= piece;
    }
}

std::array<unsigned char, 32> Sha256::finish() noexcept {
    std::array<unsigned char, 32> digest{};
    // A failed library leaves the digest zero rather than a partial one.
    if (!state_->ready ||
        BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0) != 0)
        digest.fill(0);
    state_->restart();
    return digest;
}

}  // namespace kodra::platform
