#include <unistd.h>

#include "cli/Terminal.h"

namespace zwf::cli {
bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }
}  // namespace zwf::cli
