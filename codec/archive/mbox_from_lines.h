// Where mbox messages begin: "From " lines that start a line and follow an empty line or
// the start of the file, which mboxo and mboxrd writers guarantee for every message.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kodra {

inline constexpr std::string_view kMboxFromPrefix = "From ";

// True when a "From " line that separates messages begins at byte `at` of bytes. Only the
// three bytes before `at` are looked at; atFileStart says that bytes[0] is the file's first
// byte (else bytes before index 0 are unknown and no separator is found that needs them).
bool isMboxFromLine(std::string_view bytes, std::size_t at, bool atFileStart) noexcept;

// The first index at or after from where isMboxFromLine holds, or npos. Indexes whose
// "From " would run past the end of bytes are not tested.
std::size_t findMboxFromLine(std::string_view bytes, std::size_t from, bool atFileStart) noexcept;

// Cuts a whole mbox held in memory into ranges of about chunkSize bytes (0: one range),
// each but the first beginning at a separating "From " line; returns their start offsets
// (the first is 0; none for empty bytes).
std::vector<std::size_t> cutMboxRanges(std::string_view bytes, std::size_t chunkSize);

}  // namespace kodra
