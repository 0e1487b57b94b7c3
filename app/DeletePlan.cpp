#include "app/DeletePlan.h"

#include <iterator>
#include <memory>
#include <numeric>
#include <string>

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
    const GroupMember* member = nullptr;
    const FileEntry* entry = nullptr;
    std::unique_ptr<FolderHandle> folder;
    FileStatus now;
    FileStatus searched;  // what the search read

    // The same file as catalogued: a regular file of its identity and size, whatever its times.
    bool AsCatalogued() const { return IsCatalogued(now, *entry); }
    bool AsSearched() const { return AsCatalogued() && SameFile(now, searched); }
};

Copy Look(const Catalogue& catalogue, FileSystem& fileSystem, const GroupMember& member) {
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
DeleteResult NotAsSearched(const Copy& copy) {
    if (IsMissing(copy.now.error))
        return DeleteResult::AlreadyGone;
    if (copy.now.error && copy.now.error.category() != FsCategory())
        return DeleteResult::Failed;
    return DeleteResult::Changed;
}

DeleteResult Remove(FileSystem& fileSystem, Copy& copy, const FileStatus& expected) {
    const std::error_code error = fileSystem.DeleteIn(*copy.folder, copy.member->name, expected);
    if (!error)
        return DeleteResult::Deleted;
    if (error == FsError::Changed)
        return DeleteResult::Changed;
    if (IsMissing(error) || IsMissing(fileSystem.StatIn(*copy.folder, copy.member->name).error))
        return DeleteResult::AlreadyGone;
    return DeleteResult::Failed;
}

// Finds another member that proves the marked copy is not the last of its content, and returns
// what the marked file must still be when it is removed; nothing when no other copy is proven.
std::optional<FileStatus> ProveAnotherCopy(const Catalogue& catalogue, FileSystem& fileSystem,
                                           const DuplicateGroup& group, std::size_t k, const Copy& marked,
                                           const DeleteCallbacks& callbacks) {
    std::vector<Copy> timesDiffer;
    std::size_t position = 0;
    for (const GroupMember& member : catalogue.Members(group)) {
        if (position++ == k)
            continue;
        Copy other = Look(catalogue, fileSystem, member);
        const bool markedUnderAnotherName = other.now.identity.Known() && other.now.identity == marked.now.identity;
        if (!other.AsCatalogued() || markedUnderAnotherName)
            continue;  // gone, changed in kind, size or identity, or the marked file itself
        if (marked.AsSearched() && other.AsSearched())
            return marked.searched;
        timesDiffer.push_back(std::move(other));
    }
    // Written to since the search, or touched: only the bytes themselves can tell now.
    const std::string markedPath = catalogue.FullPath(*marked.member);
    for (const Copy& other : timesDiffer) {
        ComparedFiles seen;
        if (!FilesEqual(fileSystem, markedPath, catalogue.FullPath(*other.member), group.size,
                        callbacks.compareProgress, &seen))
            continue;
        // The paths may have led elsewhere meanwhile: the files compared must be the two looked at.
        const bool twoFiles = !seen.first.identity.Known() || seen.first.identity != seen.second.identity;
        if (seen.first.identity.Matches(marked.now.identity) && seen.second.identity.Matches(other.now.identity) &&
            twoFiles)
            return seen.first;
    }
    return std::nullopt;
}

DeleteResult DeleteOne(const Catalogue& catalogue, FileSystem& fileSystem, const DeletePlan& plan, std::size_t k,
                       const DeleteCallbacks& callbacks) {
    const DuplicateGroup& group = catalogue.groups.at(plan.group);
    const GroupMember& member = *std::next(catalogue.Members(group).begin(), static_cast<std::ptrdiff_t>(k));
    Copy marked = Look(catalogue, fileSystem, member);
    if (!plan.keepLastCopy)
        return marked.AsSearched() ? Remove(fileSystem, marked, marked.searched) : NotAsSearched(marked);
    if (!marked.AsCatalogued())
        return NotAsSearched(marked);
    if (std::optional<FileStatus> expected = ProveAnotherCopy(catalogue, fileSystem, group, k, marked, callbacks))
        return Remove(fileSystem, marked, *expected);
    return marked.AsSearched() ? DeleteResult::LastCopy : DeleteResult::Changed;
}

}  // namespace

std::optional<DeletePlan> PlanDeleteMarked(const Catalogue& catalogue, int g, int k) {
    const DuplicateGroup* group = GroupAt(catalogue, g);
    if (!group || k < 0 || static_cast<std::size_t>(k) >= group->memberCount)
        return std::nullopt;
    return DeletePlan{static_cast<std::size_t>(g), {static_cast<std::size_t>(k)}, true};
}

std::optional<DeletePlan> PlanDeleteGroup(const Catalogue& catalogue, int g) {
    const DuplicateGroup* group = GroupAt(catalogue, g);
    if (!group)
        return std::nullopt;
    DeletePlan plan{static_cast<std::size_t>(g), std::vector<std::size_t>(group->memberCount), false};
    std::iota(plan.members.begin(), plan.members.end(), std::size_t{0});
    return plan;
}

std::vector<DeleteResult> ExecuteDelete(const DeletePlan& plan, const Catalogue& catalogue, FileSystem& fileSystem,
                                        const DeleteCallbacks& callbacks) {
    std::vector<DeleteResult> results;
    results.reserve(plan.members.size());
    for (std::size_t k : plan.members) {
        results.push_back(DeleteOne(catalogue, fileSystem, plan, k, callbacks));
        if (callbacks.keepAlive)
            callbacks.keepAlive();
    }
    return results;
}

}  // namespace zwf
