// The digest as text, shared by every backend.
#include "platform/sha256.h"

namespace kodra::platform {

std::string Sha256::finishHex() {
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::array<unsigned char, 32> digest = finish();
    std::string hex;
    hex.reserve(64);
    for (const unsigned char byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

}  // namespace kodra::platform
