#pragma once

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

}  // namespace zwf::detect
