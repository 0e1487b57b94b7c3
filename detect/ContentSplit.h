#pragma once

#include <vector>

#include "detect/SearchContext.h"
#include "detect/SizeBuckets.h"

namespace zwf::detect {

// Buckets too large to read side by side at once, before anything fingerprints their whole
// content: the copies of each bucket's first file are found by reading the bucket side by side
// with that file in batches, and leave confirmed as a set of their own, so a bucket of copies is
// read only once. A bucket that turns out to hold many contents goes on whole after one batch
// for each thread.
std::vector<Bucket> SplitOffCopiesOfFirstFile(std::vector<Bucket> buckets, const SearchContext& context);

// The last stage: splits every bucket into sets of files that agree byte for byte over their
// whole catalogued size and end there. Files of a bucket are read side by side; a bucket too
// large to open at once is read side by side with its first file in batches, and what remains
// then is sorted by content. Sets of one are dropped.
std::vector<Bucket> SplitByWholeContent(std::vector<Bucket> buckets, const SearchContext& context);

}  // namespace zwf::detect
