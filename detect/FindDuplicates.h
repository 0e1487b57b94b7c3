#pragma once

#include <cstdint>
#include <functional>

#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"

namespace zwf {

// What a search read from disk, for tests and the benchmark.
struct IoCounters {
    std::uint64_t filesOpened = 0;
    std::uint64_t bytesRead = 0;
};

// Called during a search with the bytes compared so far and the bytes there are to compare.
using SearchProgressFn = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Clears and rebuilds catalogue.groups and catalogue.groupMembers from catalogue.allFiles:
// one group per set of files with identical bytes, confirmed byte for byte; members in catalogue
// order, the earliest first; groups in the order of their first members; empty files never grouped;
// two records of one file on disk never both in a group.
void FindDuplicates(Catalogue& catalogue, FileSystem& fileSystem, const SearchProgressFn& progress = {},
                    IoCounters* counters = nullptr);

}  // namespace zwf
