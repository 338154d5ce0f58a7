// The byte limit of the file names a decode writes, applied without splitting a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kodra {

// The longest file name, in bytes, that a decode gives a part.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// Where the last at most limit bytes of name begin, moved past UTF-8 continuation bytes so
// that no character is cut in two: a shortened name keeps its end, where the extension is.
std::size_t fileNameTailStart(std::string_view name, std::size_t limit) noexcept;

// Cuts name in place to its last at most limit bytes, on a character boundary.
void limitFileName(std::string& name, std::size_t limit = kMaxFileNameBytes);

}  // namespace kodra
