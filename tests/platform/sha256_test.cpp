#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace kodra::platform {
namespace {

struct Vector {
    const char* name;
    std::string message;
    const char* want;
};

// The FIPS 180-4 example messages.
std::vector<Vector> knownVectors() {
    return {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"448 bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"a million a", std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
}

TEST(Sha256, KnownVectors) {
    Sha256 hasher;
    for (const Vector& v : knownVectors()) {
        hasher.update(v.message.data(), v.message.size());
        EXPECT_EQ(hasher.finishHex(), v.want) << v.name;
    }
}

TEST(Sha256, ChunkedUpdatesEqualOneShot) {
    for (const Vector& v : knownVectors()) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{63}, std::size_t{64},
                                        std::size_t{65}, std::size_t{4096}}) {
            if (v.message.size() > 100000 && piece < 63) continue;  // a million single calls add nothing
            Sha256 hasher;
            for (std::size_t at = 0; at < v.message.size(); at += piece)
                hasher.update(v.message.data() + at, std::min(piece, v.message.size() - at));
            EXPECT_EQ(hasher.finishHex(), v.want) << v.name << " in pieces of " << piece;
        }
    }
}

TEST(Sha256, FinishStartsAgainEmpty) {
    Sha256 hasher;
    hasher.update("abc", 3);
    const std::array<unsigned char, 32> first = hasher.finish();
    EXPECT_EQ(first[0], 0xba) << "got the digest of something else than abc";
    EXPECT_EQ(hasher.finishHex(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855")
        << "a finished hasher must start again empty";
}

}  // namespace
}  // namespace kodra::platform
