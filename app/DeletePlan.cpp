#include "app/DeletePlan.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <numeric>
#include <string>
#include <utility>

#include "catalogue/ReachFolder.h"
#include "detect/FilesEqual.h"

namespace zwf {

namespace {

const DuplicateGroup* GroupAt(const Catalogue& catalogue, int g) {
    if (g < 0 || static_cast<std::size_t>(g) >= catalogue.groups.size())
        return nullptr;
    return &catalogue.groups[static_cast<std::size_t>(g)];
}

bool IsMissing(std::error_code error) {
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

// One member as it is on disk now, looked at through its folder as the scan entered it.
struct Copy {
    GroupMember* member = nullptr;
    const FileEntry* entry = nullptr;
    std::unique_ptr<FolderHandle> folder;
    FileStatus now;
    FileStatus searched;      // what the search read
    std::error_code refused;  // why the system refused, with DeleteResult::Failed or NotLinkable

    // The same file as catalogued: a regular file of its identity and size, whatever its times.
    bool AsCatalogued() const { return IsCatalogued(now, *entry); }
    bool AsSearched() const { return AsCatalogued() && SameFile(now, searched); }
};

Copy Look(const Catalogue& catalogue, FileSystem& fileSystem, GroupMember& member) {
    Copy copy;
    copy.member = &member;
    copy.entry = &catalogue.allFiles.at(member.source);
    copy.searched.kind = EntryKind::File;
    copy.searched.size = copy.entry->size;
    copy.searched.identity = copy.entry->identity;
    copy.searched.times = member.seen;
    copy.folder = ReachFolder(catalogue.folders, fileSystem, member.folder, copy.now.error);
    if (copy.folder)
        copy.now = fileSystem.StatIn(*copy.folder, member.name);
    return copy;
}

// Why a copy that is not what the search read is kept, or counts as gone.
DeleteResult NotAsSearched(Copy& copy) {
    if (IsMissing(copy.now.error))
        return DeleteResult::AlreadyGone;
    if (copy.now.error && copy.now.error.category() != FsCategory()) {
        copy.refused = copy.now.error;
        return DeleteResult::Failed;
    }
    return DeleteResult::Changed;
}

// Why a file could not be moved aside.
DeleteResult NotMoved(Copy& copy, std::error_code error) {
    if (IsMissing(error))
        return DeleteResult::AlreadyGone;
    if (error.category() == FsCategory())
        return DeleteResult::Changed;
    copy.refused = error;
    return DeleteResult::Failed;
}

// Puts a moved file back after a doubt; doubt is the result when it stands under its old name
// again. The rename itself moved the file's change time: where the file was what the search read
// (moved, as it was before the move), the times on record follow, so a later delete still takes
// it for the file the search read.
DeleteResult PutBack(FileSystem& fileSystem, AsideFile& aside, Copy& copy, const FileStatus& moved,
                     DeleteResult doubt) {
    std::error_code error;
    const std::string now = aside.PutBack(error);
    if (IsMissing(error))
        return DeleteResult::AlreadyGone;  // somebody removed it from under its private name
    if (error) {
        copy.refused = error;
        return DeleteResult::Failed;
    }
    if (now != copy.member->name)
        return DeleteResult::KeptBeside;
    if (SameFile(moved, copy.searched)) {
        const FileStatus back = fileSystem.StatIn(*copy.folder, copy.member->name);
        if (!back.error && back.identity == moved.identity && back.size == moved.size &&
            back.times.modified == moved.times.modified)
            copy.member->seen = back.times;
    }
    return doubt;
}

DeleteResult Remove(FileSystem& fileSystem, AsideFile& aside, Copy& copy, const FileStatus& moved) {
    const std::error_code error = aside.Remove();
    copy.refused = error;
    return error ? PutBack(fileSystem, aside, copy, moved, DeleteResult::Failed) : DeleteResult::Deleted;
}

// Every copy of the group goes: each one only while it is what the search read.
DeleteResult DeleteAsSearched(FileSystem& fileSystem, Copy& copy) {
    if (!copy.AsSearched())
        return NotAsSearched(copy);
    std::error_code error;
    std::unique_ptr<AsideFile> aside = fileSystem.MoveAside(*copy.folder, copy.member->name, error);
    if (!aside)
        return NotMoved(copy, error);
    const FileStatus moved = aside->Status();
    if (!IsCatalogued(moved, *copy.entry) || !SameFile(moved, copy.searched))
        return PutBack(fileSystem, *aside, copy, moved, DeleteResult::Changed);
    return Remove(fileSystem, *aside, copy, moved);
}

// True when other, reached afresh, is a different file of its catalogued identity and size whose
// bytes equal those of the moved file. read tells whether the moved file was read before: it is
// read again from its start, where it can be.
bool ProvenCopy(const Catalogue& catalogue, FileSystem& fileSystem, GroupMember& other, ReadableFile& moved,
                const FileStatus& movedStatus, bool& read, const DeleteCallbacks& callbacks, FileIdentity& proven) {
    const Copy again = Look(catalogue, fileSystem, other);
    if (!again.AsCatalogued() || (movedStatus.identity.Known() && again.now.identity == movedStatus.identity))
        return false;  // gone with the move (a second view of the moved file), changed, or the moved file
    std::error_code error;
    std::unique_ptr<ReadableFile> file = fileSystem.OpenRead(catalogue.FullPath(other), error);
    if (!file)
        return false;
    const FileStatus opened = file->Status();
    if (!IsCatalogued(opened, *again.entry) ||
        (movedStatus.identity.Known() && opened.identity == movedStatus.identity))
        return false;
    if (std::exchange(read, true) && !moved.Seek(0))
        return false;
    proven = opened.identity;
    return ContentsEqual(moved, *file, again.entry->size, callbacks.compareProgress) != 0;
}

// The copy's name becomes a second name of the partner proven equal, then the moved file goes.
// A name that leads anywhere but to the copy compared (the partner swapped meanwhile) is taken
// off again, and the moved file goes back.
DeleteResult LinkToPartner(FileSystem& fileSystem, AsideFile& aside, Copy& copy, const FileStatus& moved,
                           const std::string& partnerPath, const FileIdentity& partner) {
    const std::error_code error = fileSystem.LinkIn(*copy.folder, copy.member->name, partnerPath);
    if (error) {
        const bool impossible = error == std::errc::cross_device_link || error == std::errc::not_supported ||
                                error == std::errc::operation_not_permitted || error == std::errc::too_many_links ||
                                error == FsError::LinkProtected;
        copy.refused = error;
        return PutBack(fileSystem, aside, copy, moved, impossible ? DeleteResult::NotLinkable : DeleteResult::Failed);
    }
    const FileStatus linked = fileSystem.StatIn(*copy.folder, copy.member->name);
    if (linked.error || !linked.identity.Matches(partner)) {
        if (!linked.error)
            fileSystem.DeleteIn(*copy.folder, copy.member->name, linked);
        return PutBack(fileSystem, aside, copy, moved, DeleteResult::Changed);
    }
    const DeleteResult removed = Remove(fileSystem, aside, copy, moved);
    return removed == DeleteResult::Deleted ? DeleteResult::Linked : removed;
}

// The moved file goes into the trash on its own file system; where no trash there takes it, it
// goes back.
DeleteResult Trash(FileSystem& fileSystem, AsideFile& aside, Copy& copy, const FileStatus& moved) {
    const std::error_code error = aside.MoveToTrash();
    if (!error)
        return DeleteResult::Trashed;
    copy.refused = error;
    return PutBack(fileSystem, aside, copy, moved, DeleteResult::NotTrashed);
}

// The system compares the copy with the chosen one and lets it share its blocks, in one step, while
// both are the files catalogued.
DeleteResult Share(const Catalogue& catalogue, FileSystem& fileSystem, const DuplicateGroup& group,
                   const ActionPlan& plan, Copy& copy) {
    const GroupMember& kept = *std::next(group.firstMember, static_cast<std::ptrdiff_t>(plan.chosen));
    if (!copy.AsCatalogued())
        return NotAsSearched(copy);
    const std::error_code error =
        fileSystem.ShareBlocks(catalogue.FullPath(kept), catalogue.allFiles.at(kept.source).identity,
                               catalogue.FullPath(*copy.member), copy.entry->identity, copy.entry->size);
    if (!error)
        return DeleteResult::Shared;
    if (IsMissing(error))
        return DeleteResult::AlreadyGone;
    if (error == FsError::Changed)
        return DeleteResult::Changed;
    copy.refused = error;
    return DeleteResult::NotShared;
}

// The marked copy goes only while another copy is proven to stay.
DeleteResult DeleteKeepingACopy(const Catalogue& catalogue, FileSystem& fileSystem, const DuplicateGroup& group,
                                std::size_t k, const ActionPlan& plan, Copy& marked, const DeleteCallbacks& callbacks) {
    const bool onlyChosen = KeepsChosen(plan.action);
    if (!marked.AsCatalogued())
        return NotAsSearched(marked);
    const DeleteResult noCopy = marked.AsSearched() ? DeleteResult::LastCopy : DeleteResult::Changed;
    // A first look, so a file with no copy in sight is not even moved.
    std::vector<GroupMember*> others;
    auto member = group.firstMember;
    for (std::size_t position = 0; position < group.memberCount; ++position, ++member) {
        if (position == k || (onlyChosen && position != plan.chosen))
            continue;
        const Copy other = Look(catalogue, fileSystem, *member);
        const bool markedUnderAnotherName = other.now.identity.Known() && other.now.identity == marked.now.identity;
        if (other.AsCatalogued() && !markedUnderAnotherName)
            others.push_back(&*member);
    }
    if (others.empty())
        return noCopy;

    std::error_code error;
    std::unique_ptr<AsideFile> aside = fileSystem.MoveAside(*marked.folder, marked.member->name, error);
    if (!aside)
        return NotMoved(marked, error);
    const FileStatus moved = aside->Status();
    if (!IsCatalogued(moved, *marked.entry))
        return PutBack(fileSystem, *aside, marked, moved, DeleteResult::Changed);
    // Only the bytes can tell now: times may be too coarse to show a rewrite.
    bool read = false;
    for (GroupMember* other : others) {
        FileIdentity proven;
        if (!ProvenCopy(catalogue, fileSystem, *other, aside->File(), moved, read, callbacks, proven))
            continue;
        if (plan.action == CopyAction::LinkToChosen)
            return LinkToPartner(fileSystem, *aside, marked, moved, catalogue.FullPath(*other), proven);
        if (plan.action == CopyAction::TrashKeepingChosen)
            return Trash(fileSystem, *aside, marked, moved);
        return Remove(fileSystem, *aside, marked, moved);
    }
    return PutBack(fileSystem, *aside, marked, moved, noCopy);
}

DeleteResult DeleteOne(Catalogue& catalogue, FileSystem& fileSystem, const ActionPlan& plan, std::size_t k,
                       const DeleteCallbacks& callbacks, std::error_code& refused) {
    const DuplicateGroup& group = catalogue.groups.at(plan.group);
    GroupMember& member = *std::next(group.firstMember, static_cast<std::ptrdiff_t>(k));
    Copy marked = Look(catalogue, fileSystem, member);
    DeleteResult result = DeleteResult::Changed;
    switch (plan.action) {
    case CopyAction::RemoveEach: result = DeleteAsSearched(fileSystem, marked); break;
    case CopyAction::ShareWithChosen: result = Share(catalogue, fileSystem, group, plan, marked); break;
    case CopyAction::RemoveKeepingOne:
    case CopyAction::RemoveKeepingChosen:
    case CopyAction::LinkToChosen:
    case CopyAction::TrashKeepingChosen:
        result = DeleteKeepingACopy(catalogue, fileSystem, group, k, plan, marked, callbacks);
        break;
    }
    refused = marked.refused;
    return result;
}

}  // namespace

std::optional<ActionPlan> PlanDeleteMarked(const Catalogue& catalogue, int g, int k) {
    const DuplicateGroup* group = GroupAt(catalogue, g);
    if (!group || k < 0 || static_cast<std::size_t>(k) >= group->memberCount)
        return std::nullopt;
    return ActionPlan{CopyAction::RemoveKeepingOne, static_cast<std::size_t>(g), {static_cast<std::size_t>(k)}, 0};
}

std::optional<ActionPlan> PlanDeleteGroup(const Catalogue& catalogue, int g) {
    const DuplicateGroup* group = GroupAt(catalogue, g);
    if (!group)
        return std::nullopt;
    ActionPlan plan{CopyAction::RemoveEach, static_cast<std::size_t>(g), std::vector<std::size_t>(group->memberCount),
                    0};
    std::iota(plan.members.begin(), plan.members.end(), std::size_t{0});
    return plan;
}

ActionPlan PlanKeeping(CopyAction action, std::size_t g, std::vector<std::size_t> members, std::size_t keep) {
    std::sort(members.begin(), members.end());
    std::erase(members, keep);
    return ActionPlan{action, g, std::move(members), keep};
}

std::vector<DeleteResult> ExecutePlan(const ActionPlan& plan, Catalogue& catalogue, FileSystem& fileSystem,
                                      const DeleteCallbacks& callbacks) {
    std::vector<DeleteResult> results;
    results.reserve(plan.members.size());
    for (std::size_t k : plan.members) {
        if (callbacks.stop && callbacks.stop())
            break;
        std::error_code refused;
        results.push_back(DeleteOne(catalogue, fileSystem, plan, k, callbacks, refused));
        if (IsRefused(results.back()) && callbacks.refused)
            callbacks.refused(results.size() - 1, refused);
        if (callbacks.keepAlive)
            callbacks.keepAlive();
    }
    return results;
}

std::vector<std::error_code> RefusalsAhead(const ActionPlan& plan, const Catalogue& catalogue, FileSystem& fileSystem) {
    std::vector<std::error_code> refusals(plan.members.size());
    if (plan.action != CopyAction::ShareWithChosen)
        return refusals;
    const DuplicateGroup& group = catalogue.groups.at(plan.group);
    const auto at = [&](std::size_t k) -> const GroupMember& {
        return *std::next(group.firstMember, static_cast<std::ptrdiff_t>(k));
    };
    const GroupMember& kept = at(plan.chosen);
    for (std::size_t i = 0; i < plan.members.size(); ++i) {
        const GroupMember& copy = at(plan.members[i]);
        const std::error_code error =
            fileSystem.CanShareBlocks(catalogue.FullPath(kept), catalogue.allFiles.at(kept.source).identity,
                                      catalogue.FullPath(copy), catalogue.allFiles.at(copy.source).identity);
        if (error && !IsMissing(error) && error != FsError::Changed)
            refusals[i] = error;
    }
    return refusals;
}

}  // namespace zwf
