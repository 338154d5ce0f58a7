// The library's questions, messages and progress reports, routed through the command.
#pragma once

namespace kodra::cli {

// Receives the library's progress reports: bytes done of bytes in all.
using ProgressReceiver = void (*)(void* context, long long done, long long total);

// Installs the command's user interface in the library: its terminal questions and
// messages with every control character of their text (names from messages among it) made
// visible, and progress passed to receiver (none when null).
void installLibraryDialogs(ProgressReceiver receiver = nullptr, void* context = nullptr);

}  // namespace kodra::cli
