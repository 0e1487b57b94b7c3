#pragma once

namespace zwf::cli {

// zwf's exit statuses.
inline constexpr int kExitDone = 0;
// A usage error, a folder or file that could not be read, a copy kept against the plan, or output
// that could not be written.
inline constexpr int kExitTrouble = 2;
// Ended by a signal: this plus the signal's number, as a shell tells it.
inline constexpr int kExitSignalled = 128;

}  // namespace zwf::cli
