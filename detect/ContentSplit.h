#pragma once

#include <vector>

#include "detect/SearchContext.h"
#include "detect/SizeBuckets.h"

namespace zwf::detect {

// The last stage: splits every bucket into sets of files that agree byte for byte over their
// whole catalogued size and end there. Files of a bucket are read side by side; a bucket too
// large to open at once is read side by side with its first file in batches, and what remains
// then is sorted by content. Sets of one are dropped.
std::vector<Bucket> SplitByWholeContent(std::vector<Bucket> buckets, const SearchContext& context);

}  // namespace zwf::detect
