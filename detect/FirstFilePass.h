#pragma once

#include "detect/Bucket.h"
#include "detect/CandidateFile.h"
#include "detect/SearchContext.h"

namespace zwf::detect {

// Splits a bucket too large to open at once by reading it side by side with its first file, in
// batches of kMaxOpenFiles files, a batch per thread at a time: two blocks in memory serve any
// number of files, and each file is read only until it parts from the first file. The first
// file's copies are settled. A file that parts at offset X holding byte B there is equal to the
// first file, and so to every other file parting at X with B, before X: those files go on
// together from X + 1, and none of them is read again where they are known to be equal. Such a
// set is passed over again with its own first file, at once.
//
// A set that is more than half of the bucket it parted from may be a bucket of many contents
// that share ever longer beginnings: its pass gives up as soon as a batch finds fewer than half
// of its files equal to the first file, so that no bucket is read again and again for a few
// files each time; every file then stays open, where it was known to be equal, for the stages
// that take many contents at once. So does every file when the first file can no longer be read.
// Buckets of at most kMaxOpenFiles files are left open.
void SplitByFirstFiles(Bucket bucket, const SearchContext& context, Refusals& refusals, StageResult& result);

}  // namespace zwf::detect
