#pragma once

#include <vector>

#include "detect/Bucket.h"
#include "detect/SearchContext.h"

namespace zwf::detect {

// Stages that split buckets cheaply by a fingerprint of a piece of every file, before the files
// are compared in full. A fingerprint covers only bytes not yet known to be equal. Files that
// cannot be read as catalogued are refused; files alone with their fingerprint are left out;
// buckets a stage does not look at stay open as they are. Nothing is settled here.

// Buckets too large to compare side by side, by their first kPrefixBytes (the whole file when
// it is no larger).
StageResult SplitByPrefix(std::vector<Bucket> buckets, const SearchContext& context);

// Buckets of large files, by their last kPrefixBytes: copies that differ near the end part
// before their whole content is read.
StageResult SplitBySuffix(std::vector<Bucket> buckets, const SearchContext& context);

// Buckets still too large to compare side by side, by a fingerprint of the whole content.
StageResult SplitByContentFingerprint(std::vector<Bucket> buckets, const SearchContext& context);

}  // namespace zwf::detect
