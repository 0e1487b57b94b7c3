#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "catalogue/Catalogue.h"
#include "cli/Arguments.h"

namespace zwf::cli {

// The member paths of each group, one per line, each group followed by a blank line
// (the format that scripts already read from fdupes); with showSize each group after a line
// "N Bytes je Datei:", with omitFirst without its first file.
void PrintPlain(std::FILE* out, const Catalogue& catalogue, const ListOptions& options = {});
// Each path followed by a NUL, each group closed by one more NUL: safe for any name.
void PrintNullSeparated(std::FILE* out, const Catalogue& catalogue, const ListOptions& options = {});
// Counts and the bytes that deleting every copy but one would free, these also in readable units.
void PrintSummary(std::FILE* out, const Catalogue& catalogue);
// Bytes in the largest unit of 1024 that keeps them at 1 or more, with one decimal and a comma:
// "4,5 MiB"; below 1024, "N Bytes".
std::string ReadableSize(std::uint64_t bytes);
// One JSON object for tools. Bytes of a name that are not UTF-8 appear as U+FFFD in "paths";
// a group holding such a name also has "raw_paths": each path's bytes in hex, or null where the
// path is UTF-8, so two different names never print the same.
void PrintJson(std::FILE* out, const Catalogue& catalogue);

}  // namespace zwf::cli
