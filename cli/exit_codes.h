// Exit codes of the kodra command.
#pragma once

namespace kodra::cli {

enum ExitCode : int {
    kSuccess = 0,
    kNothingFound = 1,  // the input held nothing of what was asked for
    kFailure = 2,       // usage or input/output error, or a section found but not written
    kInterrupted = 130, // extract: stopped by Ctrl-C (128 + SIGINT); a rerun resumes
};

// Keeps the worst of two outcomes.
inline int worse(int a, int b) { return a > b ? a : b; }

}  // namespace kodra::cli
