#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "catalogue/FileEntry.h"

namespace zwf {

// Each folder text is stored once and shared by every file inside it.
class FolderTable {
public:
    FolderId Intern(std::string_view folder);
    const std::string& Text(FolderId id) const { return m_texts[id]; }
    std::size_t Count() const { return m_texts.size(); }
    void Clear();

private:
    std::deque<std::string> m_texts;  // a deque never moves its elements, so the views stay valid
    std::unordered_map<std::string_view, FolderId> m_ids;
};

}  // namespace zwf
