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

// Each folder is stored once, as its name and the folder it was listed in (a folder the user
// added keeps its whole text and has no parent), with its identity: memory stays flat however
// deep the tree, and a folder can be reached again from the added folder down, one checked step
// at a time. Full texts are built where a path is needed.
class FolderTable {
public:
    explicit FolderTable(char separator = '/') : m_separator(separator) {}

    // A folder the user added, by its whole text (no trailing separator).
    FolderId Intern(std::string_view folder, FileIdentity identity = {}) { return Intern(kNoParent, folder, identity); }
    // A folder listed in parent under name. A folder met again with another identity is another
    // folder: it was replaced in between.
    FolderId Intern(FolderId parent, std::string_view name, FileIdentity identity);

    // The folder's full text: its parents' names and its own, joined by the separator.
    std::string Text(FolderId id) const;
    FolderId Parent(FolderId id) const { return m_folders[id].parent; }
    const FileIdentity& Identity(FolderId id) const { return m_folders[id].identity; }
    // The folder's own name within its parent (its whole text for a folder the user added).
    const std::string& Name(FolderId id) const { return m_folders[id].name; }
    std::size_t Count() const { return m_folders.size(); }
    // Forgets every folder but the first count, newest first. A folder met again that had been
    // replaced among them is interned afresh when next met.
    void Truncate(std::size_t count);
    void Clear();

private:
    struct Folder {
        std::string name;
        FolderId parent;
        FileIdentity identity;
    };
    struct Key {
        FolderId parent;
        std::string_view name;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const {
            return std::hash<std::string_view>()(key.name) * 31 + key.parent;
        }
    };
    char m_separator;
    std::deque<Folder> m_folders;  // a deque never moves its elements, so the keys' views stay valid
    std::unordered_map<Key, FolderId, KeyHash> m_ids;
};

}  // namespace zwf
