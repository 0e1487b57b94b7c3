#include "catalogue/FolderTable.h"

#include <vector>

namespace zwf {

FolderId FolderTable::Intern(std::string_view folder, FileIdentity identity) {
    return Add(kNoParent, folder, identity);
}

FolderId FolderTable::Intern(FolderId parent, std::string_view name, FileIdentity identity) {
    return Add(parent, name, identity);
}

FolderId FolderTable::Add(FolderId parent, std::string_view name, FileIdentity identity) {
    if (auto found = m_ids.find(Key{parent, name}); found != m_ids.end() && m_folders[found->second].identity == identity)
        return found->second;
    const auto id = static_cast<FolderId>(m_folders.size());
    const std::string& stored = m_folders.emplace_back(Folder{std::string(name), parent, identity}).name;
    m_ids.insert_or_assign(Key{parent, stored}, id);
    return id;
}

std::string FolderTable::Text(FolderId id) const {
    std::vector<FolderId> chain;
    std::size_t length = 0;
    for (FolderId at = id; at != kNoParent; at = m_folders[at].parent) {
        chain.push_back(at);
        length += m_folders[at].name.size() + 1;
    }
    std::string text;
    text.reserve(length);
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        if (at != chain.rbegin())
            text.push_back(m_separator);
        text.append(m_folders[*at].name);
    }
    return text;
}

void FolderTable::Clear() {
    m_ids.clear();
    m_folders.clear();
}

}  // namespace zwf
