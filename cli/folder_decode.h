// kodra decode -C: every section of a message into a chosen folder, each under its own
// name, never two into one file.
#pragma once

#include <string>
#include <vector>

namespace kodra::cli {

// Decodes the message at path (absolute; file as the user named it) into folder (absolute,
// ending in "/", free of ";"), naming the sections in order by givenNames and, past them,
// by their own names. Prints each file written; reports every section not written by
// number and name. Returns the exit code.
int decodeIntoFolder(const std::string& path, const std::string& file, const std::string& folder,
                     const std::vector<std::string>& givenNames);

}  // namespace kodra::cli
