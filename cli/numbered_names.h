// The numbering of file families (report.txt, report1.txt, report2.txt, ...), as the
// library applies it, so that the command can name the pieces it made or joined.
#pragma once

#include <string>

namespace kodra::cli {

// The next member of path's family: the digits just before the name's last "." (or at
// its end) raised by one, 1 inserted when there are none. Extensions keep at most 20
// characters, as the library keeps them.
std::string nextNumberedName(const std::string& path);

}  // namespace kodra::cli
