#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <ranges>
#include <span>
#include <string>
#include <vector>

#include "catalogue/FileEntry.h"
#include "catalogue/FolderTable.h"

namespace zwf {

using MemberList = std::list<GroupMember>;

// One set of identical files. Its members are memberCount consecutive records of
// groupMembers starting at firstMember, the reference file first.
struct DuplicateGroup {
    MemberList::iterator firstMember;
    std::size_t memberCount = 0;
    std::uint64_t size = 0;
};

// All state of the program: the catalogue of files, the groups of the last search,
// and the folder added last.
class Catalogue {
public:
    explicit Catalogue(char separator) : folders(separator), m_separator(separator) {}
    // Groups hold iterators into groupMembers: a copy's would lead into the original's list. A
    // move takes the list's nodes along, and the iterators stay valid.
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;
    Catalogue(Catalogue&&) = default;
    Catalogue& operator=(Catalogue&&) = default;

    std::vector<FileEntry> allFiles;
    std::vector<DuplicateGroup> groups;
    MemberList groupMembers;  // the members of all groups, group after group
    std::string lastFolder;
    FolderTable folders;

    char Separator() const { return m_separator; }
    std::string Path(FolderId folder) const { return folders.Text(folder); }
    // folder, separator, name; a file in the POSIX root has the folder "" and so reads "/name".
    std::string FullPath(const FileEntry& entry) const;
    std::string FullPath(const GroupMember& member) const;

    auto Members(const DuplicateGroup& group) const {
        return std::ranges::subrange(
            MemberList::const_iterator(group.firstMember),
            std::next(MemberList::const_iterator(group.firstMember), static_cast<std::ptrdiff_t>(group.memberCount)));
    }

    // The files, folders and folder added last as they are now, for a command to go back to when
    // it cannot finish.
    struct Mark {
        std::size_t files = 0;
        std::size_t folders = 0;
        std::string lastFolder;
    };
    Mark MarkNow() const { return {allFiles.size(), folders.Count(), lastFolder}; }
    // Forgets the files and folders catalogued since the mark and takes back its folder added
    // last. Groups stay: they name files catalogued before.
    void BackTo(Mark mark);

    // Appends a group whose members are the given allFiles records, in this order; seen, where
    // given, holds each member's times as the search read it, in the same order.
    void AppendGroup(std::uint64_t size, const std::vector<std::size_t>& sources, std::span<const FileTimes> seen = {});
    // Removes one member of group g (k counted from firstMember), keeping the group's records consecutive.
    void RemoveMember(std::size_t g, std::size_t k);
    // Removes group g and all its remaining members.
    void RemoveGroup(std::size_t g);
    void ClearGroups();
    // Empties everything, lastFolder included.
    void Reset();

private:
    char m_separator;
};

}  // namespace zwf
