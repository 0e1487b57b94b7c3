#include "catalogue/Catalogue.h"

#include <iterator>
#include <utility>

namespace zwf {

namespace {
std::string Join(const std::string& folder, char separator, const std::string& name) {
    std::string full;
    full.reserve(folder.size() + 1 + name.size());
    full.append(folder).push_back(separator);
    full.append(name);
    return full;
}
}  // namespace

std::string Catalogue::FullPath(const FileEntry& entry) const {
    return Join(Path(entry.folder), m_separator, entry.name);
}

std::string Catalogue::FullPath(const GroupMember& member) const {
    return Join(Path(member.folder), m_separator, member.name);
}

void Catalogue::AppendGroup(std::uint64_t size, const std::vector<std::size_t>& sources,
                            std::span<const FileTimes> seen) {
    if (sources.empty())
        return;
    MemberList::iterator first = groupMembers.end();
    for (std::size_t k = 0; k < sources.size(); ++k) {
        const std::size_t source = sources[k];
        const FileEntry& entry = allFiles[source];
        const FileTimes times = k < seen.size() ? seen[k] : FileTimes{};
        auto added = groupMembers.insert(groupMembers.end(), GroupMember{entry.folder, entry.name, source, times});
        if (first == groupMembers.end())
            first = added;
    }
    groups.push_back(DuplicateGroup{first, sources.size(), size});
}

void Catalogue::RemoveMember(std::size_t g, std::size_t k) {
    DuplicateGroup& group = groups.at(g);
    if (k >= group.memberCount)
        return;
    auto member = std::next(group.firstMember, static_cast<std::ptrdiff_t>(k));
    auto following = groupMembers.erase(member);
    if (k == 0)
        group.firstMember = following;
    --group.memberCount;
}

void Catalogue::RemoveGroup(std::size_t g) {
    DuplicateGroup& group = groups.at(g);
    auto end = std::next(group.firstMember, static_cast<std::ptrdiff_t>(group.memberCount));
    groupMembers.erase(group.firstMember, end);
    groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(g));
}

void Catalogue::ClearGroups() {
    groups.clear();
    groupMembers.clear();
}

void Catalogue::BackTo(Mark mark) {
    if (allFiles.size() > mark.files)
        allFiles.erase(allFiles.begin() + static_cast<std::ptrdiff_t>(mark.files), allFiles.end());
    folders.Truncate(mark.folders);
    lastFolder = std::move(mark.lastFolder);
}

void Catalogue::Reset() {
    allFiles.clear();
    ClearGroups();
    folders.Clear();
    lastFolder.clear();
}

}  // namespace zwf
