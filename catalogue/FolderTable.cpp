#include "catalogue/FolderTable.h"

namespace zwf {

FolderId FolderTable::Intern(std::string_view folder) {
    if (auto found = m_ids.find(folder); found != m_ids.end())
        return found->second;
    const auto id = static_cast<FolderId>(m_texts.size());
    const std::string& stored = m_texts.emplace_back(folder);
    m_ids.emplace(stored, id);
    return id;
}

void FolderTable::Clear() {
    m_ids.clear();
    m_texts.clear();
}

}  // namespace zwf
