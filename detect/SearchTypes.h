#pragma once

// What the search and each of its stages report as they go, apart from the driver, so a stage
// needs no more than this of it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <system_error>

namespace zwf {

// Called during a search with the bytes compared so far and the bytes there are to compare,
// every few milliseconds from whichever of the search's threads is at work, one call at a time;
// done reaches total only in the last call. What it throws ends the search and is thrown from it.
using SearchProgressFn = std::function<void(std::uint64_t done, std::uint64_t total)>;

// What a search read from disk, for tests and the benchmark.
struct IoCounters {
    std::uint64_t filesOpened = 0;
    std::uint64_t bytesRead = 0;
};

// A file's place in the catalogue's allFiles, as the search names it.
using FileIndex = std::uint32_t;

// A candidate file the search could not read as catalogued (unreadable, changed, replaced), with
// the reason. It is in no group.
struct UnreadFile {
    FileIndex file = 0;
    std::error_code error;
};

}  // namespace zwf
