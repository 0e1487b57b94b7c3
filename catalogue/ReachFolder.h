#pragma once

#include <memory>
#include <system_error>

#include "catalogue/FolderTable.h"
#include "platform/FileSystem.h"

namespace zwf {

// Opens a catalogued folder again: the folder the user added by its path, then each folder
// below it through its parent, never through a link, each checked against the identity the
// scan saw. Fails when any of them was removed, replaced or turned into a link meanwhile.
std::unique_ptr<FolderHandle> ReachFolder(const FolderTable& folders, FileSystem& fileSystem, FolderId folder,
                                          std::error_code& error);

}  // namespace zwf
