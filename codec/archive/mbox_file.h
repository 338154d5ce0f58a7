// Reading mbox files and streams in ranges that begin at separating "From " lines.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kodra {

struct MboxRange {
    long long offset = 0;
    long long size = 0;
};

// Cuts the mbox open in file (at any position; it is moved) into ranges of about
// chunkSize bytes (0: one range), each but the first beginning at a separating "From "
// line, covering the file's size now. False with the reason in error when reading failed.
bool cutMboxFile(std::FILE* file, std::size_t chunkSize, std::vector<MboxRange>& ranges, std::string& error);

// Reads stream to its end as an mbox and hands visit blocks of about chunkSize bytes (0:
// all of it in one), each beginning at a separating "From " line but the first, with their
// offsets. Stops when visit returns false. False when reading failed or memory was short.
bool readMboxStream(std::FILE* stream, std::size_t chunkSize,
                    const std::function<bool(long long offset, std::string_view block)>& visit);

}  // namespace kodra
