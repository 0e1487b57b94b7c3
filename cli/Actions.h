#pragma once

#include <cstdio>
#include <functional>

#include "catalogue/Catalogue.h"
#include "cli/Arguments.h"
#include "platform/FileSystem.h"

namespace zwf::cli {

// Carries out --delete, --link, --dedupe or --trash on every group through one ActionPlan each
// (the copies the rule keeps stay, the first of them proving the others), or with --dry-run only
// prints what it would do, naming ahead each copy --dedupe would be refused. Prints, group by
// group, "behalten: PATH" for each copy kept and "gelöscht: PATH", "verknüpft: PATH", "geteilt:
// PATH" or "in den Papierkorb: PATH" ("löschen: PATH", ... "in den Papierkorb legen: PATH") for
// each of the others, a blank line after each group, then the count and the bytes. A copy that is
// kept against the plan is named on stderr with the reason. Returns kExitTrouble when one was,
// else kExitDone. stop is asked before each copy: true ends the work there, the copy in hand
// finished, and what was done is still printed and counted.
int CarryOut(std::FILE* out, Catalogue& catalogue, FileSystem& fileSystem, const Arguments& arguments,
             const std::function<bool()>& stop = {});

}  // namespace zwf::cli
