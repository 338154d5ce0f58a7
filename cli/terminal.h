// Questions about the terminal the command runs on.
#pragma once

namespace kodra::cli {

// True when standard error is a terminal (progress lines go there, never into a pipe).
bool standardErrorIsTerminal();

}  // namespace kodra::cli
