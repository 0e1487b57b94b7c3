#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/Recovery.h"
#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"

namespace zwf::cli {

// The groups of a list zwf (or a peer) wrote, path by path as listed.
struct ListedGroups {
    std::vector<std::vector<std::string>> groups;
    std::vector<std::string> problems;  // entries that are no path, each named
    std::string error;                  // set when the list cannot be read at all
};

// Reads any of zwf's outputs: --json (raw_paths where given), -0 (each path ended by a NUL, each
// group by another), or the plain list (one path a line, a blank line after each group), which
// fdupes and jdupes write too. Told apart by their first bytes.
ListedGroups ParseGroupList(std::string_view text);

// Reads the whole of file ("-": standard input) into text; false with error set when it cannot.
bool ReadWhole(const std::string& file, std::string& text, std::error_code& error);

// Puts each listed group into the catalogue as a group of the files its paths name now, each one's
// folder added as written (as a searched folder is: links on its way followed, here only), with
// its size, identity and times as they are now, so every action proves it afresh against the copy
// kept.
// What cannot be a member (a path to no regular file, one of another size than the group's first,
// a group left with fewer than two) is named in the lines returned, with reason's words for the
// system's reasons, and left out.
std::vector<std::string> CatalogueFromList(Catalogue& catalogue, FileSystem& fileSystem, const ListedGroups& listed,
                                           const ReasonFn& reason);

}  // namespace zwf::cli
