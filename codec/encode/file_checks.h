// File-system questions asked before a job may change a file.
#pragma once

#include <cstdint>

namespace kodra {

// True when both paths name one file (links included), or when that cannot be told
// safely; false when they differ or the second does not exist.
bool mayBeSameFile(const char* existingPath, const char* otherPath) noexcept;

// The size of the regular file at path; false for anything else or on error.
bool regularFileSize(const char* path, std::uint64_t& size) noexcept;

}  // namespace kodra
