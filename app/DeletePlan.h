#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "catalogue/Catalogue.h"
#include "detect/SearchTypes.h"
#include "platform/FileSystem.h"

namespace zwf {

// Which copies a delete command removes, worked out from the lists alone.
struct DeletePlan {
    std::size_t group = 0;
    std::vector<std::size_t> members;  // positions counted from the group's first member, ascending
    bool keepLastCopy = false;         // never remove the only copy still on disk
    std::optional<std::size_t> partner;  // with keepLastCopy: the one copy that may prove it, if chosen
    bool link = false;  // with partner: each copy's name becomes a second name of it instead of going
};

// The marked copy k of the group on line g; nothing when either line names no record.
std::optional<DeletePlan> PlanDeleteMarked(const Catalogue& catalogue, int g, int k);
// Every copy of the group on line g, the first one included.
std::optional<DeletePlan> PlanDeleteGroup(const Catalogue& catalogue, int g);
// The copies at positions members of group g, each removed only while the copy at position keep,
// which stays, is proven equal to it.
DeletePlan PlanDeleteKeeping(std::size_t g, std::vector<std::size_t> members, std::size_t keep);
// The same, each copy's name made a second name of the copy kept once it is proven equal.
DeletePlan PlanLinkToKept(std::size_t g, std::vector<std::size_t> members, std::size_t keep);

enum class DeleteResult {
    Deleted,      // removed from disk now
    AlreadyGone,  // nothing left to remove: counts as deleted
    Changed,      // no longer the file the search read, or its folder was replaced: kept
    LastCopy,     // no other copy of its content is left on disk: kept
    Failed,       // the file system refused and the file is still there: kept
    KeptBeside,   // moved aside, then another file took its name: kept beside it under a new name
    Linked,       // its name now leads to the copy kept, its own bytes are gone
    NotLinkable,  // a link was asked for, and the two are on different file systems or no link is possible: kept
};

inline bool IsGone(DeleteResult result) {
    return result == DeleteResult::Deleted || result == DeleteResult::AlreadyGone || result == DeleteResult::Linked;
}

struct DeleteCallbacks {
    std::function<void()> keepAlive;  // called after each file
    // Asked before each file: true ends the plan there, its results stopping short.
    std::function<bool()> stop;
    SearchProgressFn compareProgress;  // hears a fresh comparison of two copies, when one is needed
    // Hears the system's reason for each copy kept as Failed or NotLinkable, with its position in
    // the plan's members.
    std::function<void(std::size_t, std::error_code)> refused;
};

// One result per planned member, in plan order, up to where callbacks.stop ended the plan. Each file is reached through the folders the scan
// entered and moved aside to a private name in its folder, so nothing that happens to its name
// meanwhile can be what goes; there it must still be what the search read (identity, size and
// times) before it is removed. With keepLastCopy its times may differ, but another member must be
// reached afresh after the move, be a different file of its catalogued identity and size, and
// equal the moved file byte for byte. On any doubt the file is put back under its old name; the
// rename back moves its change time, so a file that was what the search read has its times as the
// search read them brought up to date (the only change made to the catalogue).
std::vector<DeleteResult> ExecuteDelete(const DeletePlan& plan, Catalogue& catalogue, FileSystem& fileSystem,
                                        const DeleteCallbacks& callbacks = {});

}  // namespace zwf
