// The documented output room of EncodeBuffer for n input bytes of types 1, 2, 4 and 5, which
// the classic and the sized buffer codecs share.
#pragma once

#include <cstddef>

namespace kodra {

inline std::size_t encodedRoom(int type, std::size_t n) {
    if (type == 5) return 3 * n + 3 * (n / 72 + 1) + 3;
    const std::size_t perLine = type == 2 ? 57 : 45;
    const std::size_t lead = type == 2 ? 0 : 1;
    std::size_t room = 0;
    for (std::size_t done = 0; done < n; done += perLine) {
        const std::size_t bytes = n - done < perLine ? n - done : perLine;
        room += lead + 4 * ((bytes + 2) / 3) + 2;
    }
    return room;
}

}  // namespace kodra
