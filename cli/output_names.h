// Output names for a decode into a chosen folder.
#pragma once

#include <string>
#include <vector>

namespace kodra::cli {

// A name fit to stand in folder: the last component of name, with ";" (the library's
// list separator) and control characters written as "_"; "NONAME.DAT" when nothing
// usable remains.
std::string safeOutputName(const std::string& name);

// The ";"-separated list of paths in folder (ending in "/") for the given names, each
// made safe, numbered while it names an existing file or one already listed, and cut
// to the path limit; a few spare names follow, so that sections the pre-scan did not
// count do not overwrite the last listed file. Empty when folder leaves no room.
std::string folderNameList(const std::string& folder, const std::vector<std::string>& names);

}  // namespace kodra::cli
