#pragma once

namespace zwf::cli {

// zwf's exit statuses besides 128 plus a signal's number.
inline constexpr int kExitDone = 0;
// A usage error, a folder or file that could not be read, a copy kept against the plan, or output
// that could not be written.
inline constexpr int kExitTrouble = 2;

}  // namespace zwf::cli
