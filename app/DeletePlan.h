#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"

namespace zwf {

// Which copies a delete command removes, worked out from the lists alone.
struct DeletePlan {
    std::size_t group = 0;
    std::vector<std::size_t> members;  // positions counted from the group's first member, ascending
    bool keepLastCopy = false;         // never remove the only copy still on disk
};

// The marked copy k of the group on line g; nothing when either line names no record.
std::optional<DeletePlan> PlanDeleteMarked(const Catalogue& catalogue, int g, int k);
// Every copy of the group on line g, the first one included.
std::optional<DeletePlan> PlanDeleteGroup(const Catalogue& catalogue, int g);

enum class DeleteResult {
    Deleted,      // removed from disk now
    AlreadyGone,  // nothing left to remove: counts as deleted
    Changed,      // size or identity differ from the search: kept
    LastCopy,     // no other copy of the group is left on disk: kept
    Failed,       // the file system refused and the file is still there: kept
};

inline bool IsGone(DeleteResult result) {
    return result == DeleteResult::Deleted || result == DeleteResult::AlreadyGone;
}

// One result per planned member, in plan order. Every file is examined again right before it
// is removed. keepAlive is called after each file.
std::vector<DeleteResult> ExecuteDelete(const DeletePlan& plan, const Catalogue& catalogue,
                                        FileSystem& fileSystem, const std::function<void()>& keepAlive);

}  // namespace zwf
