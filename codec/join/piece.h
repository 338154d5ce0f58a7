// A piece of a posting split over several articles, as found in one input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kodra {

enum class PostingKind { yenc = 1, uu = 2, partial = 3 };

struct Piece {
    PostingKind kind = PostingKind::yenc;
    std::string key;    // what joins pieces into one posting (with the kind)
    std::string name;   // the file name (yEnc, UU part 1) or the id (message/partial)
    int number = 0;     // 1-based
    int total = 0;      // 0: not announced in this piece
    int input = 0;
    std::size_t begin = 0, end = 0;          // the stretch of the input taken by the piece
    std::size_t dataBegin = 0, dataEnd = 0;  // yEnc data lines; UU and message/partial: the body
    std::uint64_t digest = 0;                // of the data, CRs left out: tells duplicates apart
    // yEnc
    long long rangeBegin = 0, rangeEnd = 0;  // "=ypart" (1-based, inclusive); 0 when absent
    long long size = -1;                     // the whole file's size
    long long partSize = -1;                 // "=yend size="
    bool ended = false;                      // "=yend" seen
    std::optional<std::uint32_t> pcrc32, crc32;
    // UU
    bool hasBegin = false, hasEnd = false;
};

}  // namespace kodra
