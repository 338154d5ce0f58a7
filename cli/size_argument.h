// Sizes typed on the command line.
#pragma once

#include <optional>
#include <string>

namespace kodra::cli {

// Reads a positive byte count: decimal digits with an optional suffix k or K (KiB) or
// m or M (MiB). Empty when the text is anything else, zero, or above the library's
// 32-bit limit.
std::optional<int> parseSize(const std::string& text);

}  // namespace kodra::cli
