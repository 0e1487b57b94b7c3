#pragma once

// The ways a bucket is compared byte for byte. Each reads its files only through CandidateFile,
// from where they are known to agree, and settles only sets confirmed to the end of every file.
#include <vector>

#include "detect/Bucket.h"
#include "detect/CandidateFile.h"
#include "detect/SearchContext.h"

namespace zwf::detect {

// Opens the files of a bucket of at most kMaxOpenFiles files together and reads them block by
// block from where they are known to agree, splitting them apart as their blocks differ, until
// the end of the files. Each set of two or more files whose every byte agrees and which all
// ended exactly at their size is settled; a file stops being read as soon as no other file agrees
// with it so far. Uses the worker's first buffer.
void CompareSideBySide(Bucket& bucket, const SearchContext& context, unsigned worker, Refusals& refusals,
                       std::vector<Bucket>& settled);

// Splits a bucket too large to open at once by reading it side by side with its first file, in
// batches, a batch per thread at a time: two blocks in memory serve any number of files, and each
// file is read only until it parts from the first file. The first file's copies are settled. A
// file that parts at offset X holding byte B there is equal to the first file, and so to every
// other file parting at X with B, before X: those files go on together from X + 1, passed over
// again with their own first file, and none of them is read again where they are known equal.
//
// A set that is most of its bucket and parted hardly beyond where the bucket agreed may be one of
// many contents sharing ever longer beginnings: its pass gives up as soon as most files of a round
// go on together hardly further, so that no bucket is read again and again for a few bytes each
// time. Every file then stays open, where it was known equal, for the stages that take many
// contents at once; so does every file when the first file changed. Buckets of at most
// kMaxOpenFiles files are left open.
void SplitByFirstFiles(Bucket bucket, const SearchContext& context, Refusals& refusals, StageResult& result);

// Splits a bucket into sets of identical files by sorting its files by their bytes, two files
// open at a time: a merge sort whose comparisons read two files from where they are known to
// agree up to their first difference, and which joins two files into one set as soon as they
// compare equal. It takes at most n log n comparisons whatever the files hold, so it is the way
// out for a bucket too large to read side by side that holds many different contents which no
// fingerprint told apart. Runs on the searching thread, with the first worker's buffers.
void SplitBySortingContent(Bucket& bucket, const SearchContext& context, Refusals& refusals,
                           std::vector<Bucket>& settled);

}  // namespace zwf::detect
