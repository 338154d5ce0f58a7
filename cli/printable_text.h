// Text from messages and file names, made safe to show on a terminal.
#pragma once

#include <string>

namespace kodra::cli {

// text as UTF-8 with every control character written as "\xNN": bytes below 0x20, 0x7F,
// every byte that is not part of a valid UTF-8 sequence, and the code points U+0080 to
// U+009F themselves. Line feeds stay when keepLineFeeds is set (the library's own prompts
// break lines).
std::string printable(const std::string& text, bool keepLineFeeds = false);

}  // namespace kodra::cli
