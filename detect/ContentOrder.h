#pragma once

#include <vector>

#include "detect/Bucket.h"
#include "detect/CandidateFile.h"
#include "detect/SearchContext.h"

namespace zwf::detect {

// Splits a bucket into sets of identical files by sorting its files by their bytes, two files
// open at a time: a merge sort whose comparisons read two files from where they are known to
// agree up to their first difference, and which joins two files into one set as soon as they
// compare equal. It takes at most n log n comparisons whatever the files hold, so it is the way
// out for a bucket too large to read side by side that holds many different contents which no
// fingerprint told apart. Runs on the searching thread, with the first worker's buffers.
void SplitBySortingContent(Bucket& bucket, const SearchContext& context, Refusals& refusals,
                           std::vector<Bucket>& settled);

}  // namespace zwf::detect
