// The names a decode of a file would produce, from the library's pre-scan.
#pragma once

#include <string>
#include <vector>

namespace kodra::cli {

// The output paths the library lists for path (absolute), one per section in order; an
// entry too long to be read is kept as an empty text, so that positions still pair with
// sections. Empty when it lists none.
std::vector<std::string> prescanNames(const std::string& path);

}  // namespace kodra::cli
