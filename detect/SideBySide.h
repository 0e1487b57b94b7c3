#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "detect/SearchContext.h"

namespace zwf::detect {

enum class CountProgress : bool { No, Yes };

// The outcome of reading some files of one size side by side, each exactly once.
struct Partition {
    std::vector<std::vector<std::size_t>> classes;  // identical files, in catalogue order; may be single
    std::vector<std::size_t> unreadable;            // could not be read in full, or not of the size
};

// Opens at most kMaxOpenFiles files of the given size together and reads them block by block,
// splitting them apart as their blocks differ, until the end of the files: a class holds files
// whose every byte agrees and which all ended exactly at size. A file stops being read as soon
// as no other file agrees with it so far.
Partition CompareSideBySide(const std::vector<std::size_t>& files, std::uint64_t size, const SearchContext& context,
                            CountProgress countProgress);

}  // namespace zwf::detect
