#pragma once

#include <string>
#include <vector>

#include "app/KeepRule.h"
#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"

namespace zwf::cli {

// Gives --keep in:FOLDER the identity of the folder it names, however it is written (relative, with
// a trailing separator, through a link), so that the copies below it are told by the folders on
// their way. Before anything is read: FOLDER must be one of the searched folders or below one
// (any folder with --from, where nothing is searched). Returns why it cannot be used, or "".
std::string ResolveKeepFolder(KeepRule& rule, const std::vector<std::string>& searched, bool fromList,
                              FileSystem& fileSystem);

// Once the catalogue holds its added folders (searched or from a list): each of them that lies at
// or below the rule's folder counts as that folder, so the copies below it stay however the
// folders were written.
void AddFoldersBelow(KeepRule& rule, const Catalogue& catalogue);

}  // namespace zwf::cli
