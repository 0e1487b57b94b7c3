#pragma once

#include <vector>

#include "catalogue/Catalogue.h"
#include "detect/SearchTypes.h"
#include "platform/FileSystem.h"

namespace zwf {

struct SearchReport {
    std::vector<UnreadFile> unread;  // in catalogue order
};

// Clears and rebuilds catalogue.groups and catalogue.groupMembers from catalogue.allFiles:
// one group per set of files with identical bytes, confirmed byte for byte; members in catalogue
// order, the earliest first; groups in the order of their first members; empty files never grouped;
// two records of one file on disk never both in a group, nor one file seen through two devices
// (a FUSE view, a share, a snapshot: detect::FirstRecordOfEachFile tells them). Each file is read only while it is the
// file catalogued, and a group member's times as the search read it are kept with the member.
SearchReport FindDuplicates(Catalogue& catalogue, FileSystem& fileSystem, const SearchProgressFn& progress = {},
                            IoCounters* counters = nullptr);

}  // namespace zwf
