// The names a decode of a file would produce, from the library's pre-scan.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kodra::cli {

// The output paths the library lists for path (absolute); empty when it lists none.
std::vector<std::string> prescanNames(const std::string& path);

}  // namespace kodra::cli
