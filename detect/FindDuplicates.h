#pragma once

#include <cstdint>
#include <functional>
#include <system_error>
#include <vector>

#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"

namespace zwf {

// What a search read from disk, for tests and the benchmark.
struct IoCounters {
    std::uint64_t filesOpened = 0;
    std::uint64_t bytesRead = 0;
};

// A candidate file the search could not read as catalogued (unreadable, changed, replaced), with
// the reason. It is in no group.
struct UnreadFile {
    std::size_t file = 0;  // index in allFiles
    std::error_code error;
};

struct SearchReport {
    std::vector<UnreadFile> unread;  // in catalogue order
};

// Called during a search with the bytes compared so far and the bytes there are to compare.
using SearchProgressFn = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Clears and rebuilds catalogue.groups and catalogue.groupMembers from catalogue.allFiles:
// one group per set of files with identical bytes, confirmed byte for byte; members in catalogue
// order, the earliest first; groups in the order of their first members; empty files never grouped;
// two records of one file on disk never both in a group. Each file is read only while it is the
// file catalogued, and a group member's times as the search read it are kept with the member.
SearchReport FindDuplicates(Catalogue& catalogue, FileSystem& fileSystem, const SearchProgressFn& progress = {},
                    IoCounters* counters = nullptr);

}  // namespace zwf
