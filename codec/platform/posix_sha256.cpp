// SHA-256 over libcrypto's EVP digests, which pick the processor's SHA instructions.
#include "platform/sha256.h"

#include <openssl/evp.h>

namespace kodra::platform {

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
    bool ready = false;  // the context is initialised for SHA-256

    State() noexcept : context(EVP_MD_CTX_new()) { restart(); }
    ~State() { EVP_MD_CTX_free(context); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void restart() noexcept { ready = context && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1; }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t size) noexcept {
    if (size == 0 || !state_->ready) return;
    if (EVP_DigestUpdate(state_->context, data, size) != 1) state_->ready = false;
}

std::array<unsigned char, 32> Sha256::finish() noexcept {
    std::array<unsigned char, 32> digest{};
    unsigned int length = 0;
    // A failed library leaves the digest zero rather than a partial one.
    if (!state_->ready || EVP_DigestFinal_ex(state_->context, digest.data(), &length) != 1 || length != 32)
        digest.fill(0);
    state_->restart();
    return digest;
}

}  // namespace kodra::platform
