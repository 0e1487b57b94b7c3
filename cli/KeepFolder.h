#pragma once

#include <string>
#include <vector>

#include "app/KeepRule.h"
#include "platform/FileSystem.h"

namespace zwf::cli {

// Gives --keep in:FOLDER the identity of the folder it names, however it is written (relative, with
// a trailing separator, through a link), so that the copies below it are told by the folders on
// their way. Before anything is read: FOLDER must be one of the searched folders or below one
// (any folder with --from, where nothing is searched). Returns why it cannot be used, or "".
std::string ResolveKeepFolder(KeepRule& rule, const std::vector<std::string>& searched, bool fromList,
                              FileSystem& fileSystem);

// path made absolute with every link on its way followed and every "." and ".." taken out, in the
// catalogue's form (UTF-8 on Windows); "" with error set when it leads nowhere.
std::string CanonicalPath(const std::string& path, std::error_code& error);

}  // namespace zwf::cli
