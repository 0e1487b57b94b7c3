#pragma once

#include <cstdint>
#include <vector>

#include "detect/SearchContext.h"
#include "detect/SideBySide.h"

namespace zwf::detect {

// Splits files of one size into sets of identical files by sorting them by their bytes, two
// files open at a time: a merge sort whose comparisons read two files up to their first
// difference, and which joins two files into one set as soon as they compare equal. It takes
// at most n log n comparisons whatever the files hold, so it is the way out for a bucket too
// large to read side by side that holds many different contents which no fingerprint told
// apart. Counts every file's bytes as done when it ends.
Partition SplitBySortingContent(const std::vector<std::size_t>& files, std::uint64_t size, const SearchContext& context);

}  // namespace zwf::detect
