// Questions about the terminal the command runs on.
#pragma once

namespace kodra::cli {

// True when standard error is a terminal (progress lines go there, never into a pipe).
bool standardErrorIsTerminal();

// True when standard output is a terminal (message text shown there is filtered).
bool standardOutputIsTerminal();

}  // namespace kodra::cli
