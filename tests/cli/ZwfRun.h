#pragma once

// Runs zwf, or any command, through the shell and collects what it prints.
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "tests/support/TempTree.h"

namespace zwf::test {

struct Outcome {
    std::string out;
    std::string err;
    int status = -1;
};

inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command, its standard error sent to a file in scratch.
inline Outcome RunCommand(const TempTree& scratch, const std::string& command) {
    const std::string errFile = scratch.Path("stderr.txt");
    Outcome outcome;
    std::FILE* pipe = ::popen((command + " 2>" + Quoted(errFile)).c_str(), "r");
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        outcome.out.append(buffer, got);
    const int raw = ::pclose(pipe);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.err = scratch.Read("stderr.txt");
    return outcome;
}

inline Outcome RunZwf(const TempTree& scratch, const std::string& arguments, const std::string& prefix = "") {
    return RunCommand(scratch, prefix + std::string(ZWF_BINARY) + " " + arguments);
}

}  // namespace zwf::test
