#include "catalogue/FolderTable.h"

namespace zwf {

FolderId FolderTable::Intern(FolderId parent, std::string_view name, FileIdentity identity) {
    if (auto found = m_ids.find(Key{parent, name});
        found != m_ids.end() && m_folders[found->second].identity == identity)
        return found->second;
    const auto id = static_cast<FolderId>(m_folders.size());
    const std::string& stored = m_folders.emplace_back(Folder{std::string(name), parent, identity}).name;
    m_ids.insert_or_assign(Key{parent, stored}, id);
    return id;
}

// Every file's path is built here, so it is built in place: the length first, then the names
// from the last one back.
std::string FolderTable::Text(FolderId id) const {
    std::size_t length = 0;
    for (FolderId at = id; at != kNoParent; at = m_folders[at].parent)
        length += m_folders[at].name.size() + (m_folders[at].parent != kNoParent ? 1 : 0);
    std::string text(length, m_separator);
    for (FolderId at = id; at != kNoParent; at = m_folders[at].parent) {
        const std::string& name = m_folders[at].name;
        length -= name.size();
        text.replace(length, name.size(), name);
        length -= m_folders[at].parent != kNoParent ? 1 : 0;  // the separator, already in place
    }
    return text;
}

void FolderTable::Truncate(std::size_t count) {
    while (m_folders.size() > count) {
        const Folder& last = m_folders.back();
        const auto id = static_cast<FolderId>(m_folders.size() - 1);
        if (auto found = m_ids.find(Key{last.parent, last.name}); found != m_ids.end() && found->second == id)
            m_ids.erase(found);
        m_folders.pop_back();
    }
}

void FolderTable::Clear() {
    m_ids.clear();
    m_folders.clear();
}

}  // namespace zwf
