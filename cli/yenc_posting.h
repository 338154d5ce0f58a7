// kodra encode -t yenc: one file written as a yEnc posting, whole or in parts.
#pragma once

#include <string>

namespace kodra::cli {

// Writes source as yEnc to output (empty: the source's name with the extension .YNC,
// numbered until neither it nor any later part name stands anywhere); partSize 0 writes one
// file, more cuts the source into parts of that many bytes, one file each. Prints every file
// written and returns the exit code.
int writeYencPosting(const std::string& source, const std::string& output, long long partSize);

}  // namespace kodra::cli
