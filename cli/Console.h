#pragma once

#include <string>
#include <vector>

namespace zwf::cli {

// Whether standard error is a terminal, where a progress line may be redrawn.
bool StderrIsTerminal();

// The command line's arguments after the program name, in UTF-8 (on Windows, read as UTF-16
// so that any folder name arrives intact).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace zwf::cli
