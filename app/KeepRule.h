#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Catalogue.h"

namespace zwf {

// Which copies of a group stay when the others go.
struct KeepRule {
    enum class Kind { First, Newest, Oldest, InFolder };
    Kind kind = Kind::First;
    std::string folder;  // InFolder: as the user wrote it
    // InFolder: the folder's identity, and those of the catalogue's added folders that lie at or
    // below it: a copy with one of them on its way stays.
    std::vector<FileIdentity> identities;
};

// "first", "newest", "oldest" or "in:FOLDER"; false for anything else.
bool ParseKeepRule(std::string_view text, KeepRule& rule);

// The positions in group g of the copies that stay, in catalogue order: the first copy, the newest
// or the oldest by the modification time the search read (the earlier in the catalogue on a tie),
// or every copy that has a folder of one of the rule's identities on its way, from the folder the
// user added down to its own. Empty when no copy is below it: the group is left alone.
std::vector<std::size_t> CopiesToKeep(const Catalogue& catalogue, std::size_t g, const KeepRule& rule);

}  // namespace zwf
