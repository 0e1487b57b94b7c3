#pragma once

#include <cstdio>

#include "catalogue/Catalogue.h"

namespace zwf::cli {

// The member paths of each group, one per line, each group followed by a blank line
// (the format that scripts already read from fdupes).
void PrintPlain(std::FILE* out, const Catalogue& catalogue);
// Counts and the bytes that deleting every copy but one would free.
// Each path followed by a NUL, each group closed by one more NUL: safe for any name.
void PrintNullSeparated(std::FILE* out, const Catalogue& catalogue);
void PrintSummary(std::FILE* out, const Catalogue& catalogue);
// One JSON object for tools. Bytes of a name that are not UTF-8 appear as U+FFFD in "paths";
// a group holding such a name also has "raw_paths": each path's bytes in hex, or null where the
// path is UTF-8, so two different names never print the same.
void PrintJson(std::FILE* out, const Catalogue& catalogue);

}  // namespace zwf::cli
