// Postings split over several articles, joined across all the files of one command.
#pragma once

#include <string>
#include <vector>

namespace kodra::cli {

// True when the files (absolute paths) hold any piece of a split posting.
bool holdPostings(const std::vector<std::string>& paths);

// The file names of the yEnc sections in the file at path (absolute), in order. The classic
// decodes the command runs otherwise do not read yEnc, so files that hold any are decoded
// through the joining call.
std::vector<std::string> yencSectionNames(const std::string& path);

// Decodes the files together into folder (absolute, ending in "/"): postings joined, the
// rest decoded as usual. Prints each file written; names every posting that is incomplete
// or failed on standard error. Returns the exit code.
int decodeJoined(const std::vector<std::string>& paths, const std::string& folder);

// Prints every posting of the files with its parts found and missing; returns kFailure
// when any is incomplete or failed, else kSuccess.
int listJoined(const std::vector<std::string>& paths);

}  // namespace kodra::cli
