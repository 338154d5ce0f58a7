// Buffers for the paths and names that the library writes.
#pragma once

#include <QByteArray>

#include <cstddef>
#include <vector>

namespace merido {

// Room for any decode name the library lists: it hands out at most 1024 bytes, NUL
// included, and refuses longer entries.
inline constexpr std::size_t kDecodeNameBufferSize = 1024;
// Room the library's numbered-name functions require for a path they change in place.
inline constexpr std::size_t kLibraryPathBufferSize = 260;

// A zero-filled, NUL-terminated copy of path with at least the room the library needs
// to change it in place.
std::vector<char> pathBuffer(const QByteArray &path);

}  // namespace merido
