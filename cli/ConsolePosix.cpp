#include <unistd.h>

#include "cli/Console.h"

namespace zwf::cli {

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    // POSIX names are bytes; they are taken as they are.
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace zwf::cli
