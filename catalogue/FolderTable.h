#pragma once

#include <deque>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/FileSystem.h"

namespace zwf {

// Index of a folder in the catalogue's folder table; many files share one folder.
using FolderId = std::uint32_t;
inline constexpr FolderId kNoParent = std::numeric_limits<FolderId>::max();

// Each folder is stored once and shared by every file inside it: its full text, the folder it
// was listed in (none for a folder the user added) and its identity, so that it can be reached
// again from the added folder down, one checked step at a time.
class FolderTable {
public:
    // The folder with this text and identity, added when it is new. A text met again with another
    // identity is another folder: it was replaced in between.
    FolderId Intern(std::string_view folder, FolderId parent = kNoParent, FileIdentity identity = {});
    const std::string& Text(FolderId id) const { return m_folders[id].text; }
    FolderId Parent(FolderId id) const { return m_folders[id].parent; }
    const FileIdentity& Identity(FolderId id) const { return m_folders[id].identity; }
    // The folder's own name within its parent (its whole text for a folder the user added).
    std::string_view Name(FolderId id) const;
    std::size_t Count() const { return m_folders.size(); }
    void Clear();

private:
    struct Folder {
        std::string text;
        FolderId parent;
        FileIdentity identity;
    };
    std::deque<Folder> m_folders;  // a deque never moves its elements, so the views stay valid
    std::unordered_map<std::string_view, FolderId> m_ids;
};

}  // namespace zwf
