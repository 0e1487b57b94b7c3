#include "app/DeletePlan.h"

#include <iterator>
#include <numeric>
#include <string>

namespace zwf {

namespace {

const DuplicateGroup* GroupAt(const Catalogue& catalogue, int g) {
    if (g < 0 || static_cast<std::size_t>(g) >= catalogue.groups.size())
        return nullptr;
    return &catalogue.groups[static_cast<std::size_t>(g)];
}

const GroupMember& MemberAt(const Catalogue& catalogue, const DuplicateGroup& group, std::size_t k) {
    return *std::next(catalogue.Members(group).begin(), static_cast<std::ptrdiff_t>(k));
}

bool IsMissing(std::error_code error) {
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

enum class OnDisk { AsSearched, Gone, Changed };

// A file is only removed while it is still the one the search compared: same kind, size and identity.
OnDisk Examine(FileSystem& fileSystem, const std::string& path, const FileEntry& entry, FileStatus& status) {
    status = fileSystem.Stat(path);
    if (status.error)
        return IsMissing(status.error) ? OnDisk::Gone : OnDisk::Changed;
    if (status.kind != EntryKind::File || status.size != entry.size)
        return OnDisk::Changed;
    if (entry.identity.Known() && status.identity.Known() && status.identity != entry.identity)
        return OnDisk::Changed;
    return OnDisk::AsSearched;
}

// Whether some other member of the group is still a file of the group's size, and not the marked
// file itself under another name.
bool AnotherCopyExists(const Catalogue& catalogue, FileSystem& fileSystem, const DuplicateGroup& group,
                       std::size_t marked, const FileIdentity& markedIdentity) {
    std::size_t k = 0;
    for (const GroupMember& member : catalogue.Members(group)) {
        if (k++ == marked)
            continue;
        const FileStatus status = fileSystem.Stat(catalogue.FullPath(member));
        if (status.error || status.kind != EntryKind::File || status.size != group.size)
            continue;
        if (markedIdentity.Known() && status.identity == markedIdentity)
            continue;
        return true;
    }
    return false;
}

DeleteResult Remove(FileSystem& fileSystem, const std::string& path) {
    const std::error_code error = fileSystem.Delete(path);
    if (!error)
        return DeleteResult::Deleted;
    if (IsMissing(error) || IsMissing(fileSystem.Stat(path).error))
        return DeleteResult::AlreadyGone;
    return DeleteResult::Failed;
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

std::vector<DeleteResult> ExecuteDelete(const DeletePlan& plan, const Catalogue& catalogue,
                                        FileSystem& fileSystem, const std::function<void()>& keepAlive) {
    const DuplicateGroup& group = catalogue.groups.at(plan.group);
    std::vector<DeleteResult> results;
    results.reserve(plan.members.size());
    for (std::size_t k : plan.members) {
        const GroupMember& member = MemberAt(catalogue, group, k);
        const std::string path = catalogue.FullPath(member);
        FileStatus status;
        switch (Examine(fileSystem, path, catalogue.allFiles.at(member.source), status)) {
        case OnDisk::Gone:
            results.push_back(DeleteResult::AlreadyGone);
            break;
        case OnDisk::Changed:
            results.push_back(DeleteResult::Changed);
            break;
        case OnDisk::AsSearched:
            if (plan.keepLastCopy && !AnotherCopyExists(catalogue, fileSystem, group, k, status.identity))
                results.push_back(DeleteResult::LastCopy);
            else
                results.push_back(Remove(fileSystem, path));
            break;
        }
        if (keepAlive)
            keepAlive();
    }
    return results;
}

}  // namespace zwf
