#include "terminal.h"

#include <unistd.h>

namespace kodra::cli {

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool standardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

}  // namespace kodra::cli
