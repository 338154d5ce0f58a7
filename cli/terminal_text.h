// Message text shown on a terminal piece by piece, with nothing in it the terminal obeys.
#pragma once

#include <cstddef>
#include <string>

namespace kodra::cli {

// Line feeds, tabs and a CR before LF stay; every other control character is made visible.
// A character or CR LF cut between two pieces is judged whole.
class TerminalText {
public:
    // The shown form of the next piece, without the bytes held back for the next one.
    std::string filter(const char* data, std::size_t size);
    // The shown form of whatever is still held back.
    std::string finish();

private:
    std::string held_;
};

}  // namespace kodra::cli
