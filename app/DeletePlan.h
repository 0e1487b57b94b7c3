#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "catalogue/Catalogue.h"
#include "detect/SearchTypes.h"
#include "platform/FileSystem.h"

namespace zwf {

// What is done to each copy a plan lists. Every action but RemoveEach acts on a copy only once
// another copy is proven to stay: its bytes read afresh and found equal.
enum class CopyAction {
    RemoveEach,           // each copy goes while it is what the search read, the last one too
    RemoveKeepingOne,     // each copy goes while any other copy of the group is proven equal
    RemoveKeepingChosen,  // each copy goes while the chosen copy is proven equal
    LinkToChosen,         // each copy's name becomes a second name of the chosen copy, proven equal
    ShareWithChosen,      // each copy shares the blocks of the chosen copy: the system compares
    TrashKeepingChosen,   // each copy goes to the desktop's trash while the chosen copy is proven equal
};

// Which copies of one group an action is done to, worked out from the lists alone.
struct ActionPlan {
    CopyAction action = CopyAction::RemoveEach;
    std::size_t group = 0;
    std::vector<std::size_t> members;  // positions counted from the group's first member, ascending
    std::size_t chosen = 0;            // the copy that stays, for the actions that keep a chosen one
};

// Whether the action keeps a chosen copy that proves each of the others.
inline bool KeepsChosen(CopyAction action) {
    return action != CopyAction::RemoveEach && action != CopyAction::RemoveKeepingOne;
}

// The marked copy k of the group on line g; nothing when either line names no record.
std::optional<ActionPlan> PlanDeleteMarked(const Catalogue& catalogue, int g, int k);
// Every copy of the group on line g, the first one included.
std::optional<ActionPlan> PlanDeleteGroup(const Catalogue& catalogue, int g);
// action (one that keeps a chosen copy) on the copies at positions members of group g, the copy at
// position keep staying.
ActionPlan PlanKeeping(CopyAction action, std::size_t g, std::vector<std::size_t> members, std::size_t keep);

enum class DeleteResult {
    Deleted,      // removed from disk now
    AlreadyGone,  // nothing left to remove: counts as deleted
    Changed,      // no longer the file the search read, or its folder was replaced: kept
    LastCopy,     // no other copy of its content is left on disk: kept
    Failed,       // the file system refused and the file is still there: kept
    KeptBeside,   // moved aside, then another file took its name: kept beside it under a new name
    Linked,       // its name now leads to the copy kept, its own bytes are gone
    NotLinkable,  // a link was asked for, and the two are on different file systems or no link is possible: kept
    Shared,       // it shares the blocks of the copy kept now
    NotShared,    // the system cannot let the two share blocks (refused tells why): kept
    Trashed,      // moved into the trash on its own file system
    NotTrashed,   // no trash on its own file system took it (refused tells why): put back, kept
};

inline bool IsGone(DeleteResult result) {
    return result == DeleteResult::Deleted || result == DeleteResult::AlreadyGone || result == DeleteResult::Linked ||
           result == DeleteResult::Trashed;
}

// Done as planned: gone, or sharing the blocks of the copy kept.
inline bool IsDone(DeleteResult result) { return IsGone(result) || result == DeleteResult::Shared; }

// Kept with a reason the system gave (DeleteCallbacks::refused hears it).
inline bool IsRefused(DeleteResult result) {
    return result == DeleteResult::Failed || result == DeleteResult::NotLinkable || result == DeleteResult::NotShared ||
           result == DeleteResult::NotTrashed;
}

struct DeleteCallbacks {
    std::function<void()> keepAlive;  // called after each file
    // Asked before each file: true ends the plan there, its results stopping short.
    std::function<bool()> stop;
    SearchProgressFn compareProgress;  // hears a fresh comparison of two copies, when one is needed
    // Hears the system's reason for each copy kept as IsRefused tells, with its position in the
    // plan's members.
    std::function<void(std::size_t, std::error_code)> refused;
};

// One result per planned member, in plan order, up to where callbacks.stop ended the plan. Each
// file is reached through the folders the scan entered and moved aside to a private name in its
// folder, so nothing that happens to its name meanwhile can be what is acted on; there it must
// still be what the search read (identity, size and times) for RemoveEach. The other actions let
// its times differ, but another member (the chosen one, where the action has one) must be reached
// afresh after the move, be a different file of its catalogued identity and size, and equal the
// moved file byte for byte. On any doubt the file is put back under its old name; the rename back
// moves its change time, so a file that was what the search read has its times as the search read
// them brought up to date (the only change made to the catalogue). ShareWithChosen moves nothing:
// the system compares and shares in one step, only while both are of their catalogued identity.
std::vector<DeleteResult> ExecutePlan(const ActionPlan& plan, Catalogue& catalogue, FileSystem& fileSystem,
                                      const DeleteCallbacks& callbacks = {});

// Why the system would refuse each copy ShareWithChosen plans, asked without changing anything:
// one reason per member, empty where it would try. Other actions have none.
std::vector<std::error_code> RefusalsAhead(const ActionPlan& plan, const Catalogue& catalogue, FileSystem& fileSystem);

}  // namespace zwf
