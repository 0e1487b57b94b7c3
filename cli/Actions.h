#pragma once

#include <cstdio>
#include <functional>

#include "catalogue/Catalogue.h"
#include "cli/Arguments.h"
#include "platform/FileSystem.h"

namespace zwf::cli {

// Carries out --delete or --link on every group, or with --dry-run only prints what it would do.
// Prints, group by group, "behalten: PATH" for each copy kept and "gelöscht: PATH" or "verknüpft:
// PATH" ("löschen: PATH", "verknüpfen: PATH") for each of the others, a blank line after each group, then the count and the bytes freed. A copy
// that is kept against the plan is named on stderr with the reason. Returns 2 when one was,
// else 0. stop is asked before each copy: true ends the work there, the copy in hand finished,
// and what was done is still printed and counted.
int CarryOut(std::FILE* out, Catalogue& catalogue, FileSystem& fileSystem, const Arguments& arguments,
             const std::function<bool()>& stop = {});

}  // namespace zwf::cli
