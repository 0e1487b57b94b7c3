#include <io.h>
#include <stdio.h>

#include "cli/Terminal.h"

namespace zwf::cli {
bool StderrIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }
}  // namespace zwf::cli
