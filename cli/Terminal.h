#pragma once

namespace zwf::cli {

// Whether standard error is a terminal, where a progress line may be redrawn.
bool StderrIsTerminal();

}  // namespace zwf::cli
