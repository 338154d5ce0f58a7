// The text of a source line as the C-string line readers saw it.
#pragma once

#include "frame/line_source.h"

#include <string_view>

namespace kodra {

// The line's text up to its first NUL, less one CR left at its end when the NUL cut it or
// the input ended it: what fgets and stripping one LF and then one CR gave.
std::string_view classicLineText(const SourceLine& line) noexcept;

}  // namespace kodra
