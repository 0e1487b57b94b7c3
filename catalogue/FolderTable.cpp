#include "catalogue/FolderTable.h"

namespace zwf {

FolderId FolderTable::Intern(std::string_view folder, FolderId parent, FileIdentity identity) {
    if (auto found = m_ids.find(folder); found != m_ids.end() && m_folders[found->second].identity == identity)
        return found->second;
    const auto id = static_cast<FolderId>(m_folders.size());
    const std::string& stored = m_folders.emplace_back(Folder{std::string(folder), parent, identity}).text;
    m_ids.insert_or_assign(std::string_view(stored), id);
    return id;
}

std::string_view FolderTable::Name(FolderId id) const {
    const std::string& text = m_folders[id].text;
    const FolderId parent = m_folders[id].parent;
    if (parent == kNoParent)
        return text;
    return std::string_view(text).substr(m_folders[parent].text.size() + 1);
}

void FolderTable::Clear() {
    m_ids.clear();
    m_folders.clear();
}

}  // namespace zwf
