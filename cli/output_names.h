// Output names for a decode into a chosen folder.
#pragma once

#include <string>
#include <vector>

namespace kodra::cli {

// A name fit to stand in folder: the last component of name, with ";" (the library's
// list separator) and control characters written as "_", cut from the front to 255 bytes;
// "NONAME.DAT" when nothing usable remains.
std::string safeOutputName(const std::string& name);

// One path in folder (ending in "/") per name, in order: made safe, numbered while
// anything at all stands at it (taken literally, no pattern) or it is already chosen, and
// cut to the path limit. Empty when folder leaves no room for a name.
std::vector<std::string> folderPaths(const std::string& folder, const std::vector<std::string>& names);

}  // namespace kodra::cli
