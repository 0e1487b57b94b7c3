#pragma once

#include <vector>

#include "detect/SearchContext.h"
#include "detect/SizeBuckets.h"

namespace zwf::detect {

// Stages that split large buckets cheaply before the files are compared in full. Each reads a
// piece of every file of the buckets it looks at, and splits by a fingerprint of that piece;
// files that cannot be read as catalogued (gone, shorter, longer) leave the search. Buckets of
// fewer than two files are dropped at the end of every stage.

// Buckets too large to compare side by side, by their first kPrefixBytes (the whole file when
// it is no larger).
std::vector<Bucket> SplitByPrefix(std::vector<Bucket> buckets, const SearchContext& context);

// Buckets of large files, by their last kPrefixBytes: copies that differ near the end
// part before their whole content is read.
std::vector<Bucket> SplitBySuffix(std::vector<Bucket> buckets, const SearchContext& context);

// Buckets still too large to compare side by side, by a fingerprint of the whole content.
std::vector<Bucket> SplitByContentFingerprint(std::vector<Bucket> buckets, const SearchContext& context);

}  // namespace zwf::detect
