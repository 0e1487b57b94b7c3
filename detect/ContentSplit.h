#pragma once

#include <vector>

#include "detect/Bucket.h"
#include "detect/SearchContext.h"

namespace zwf::detect {

// Buckets too large to read side by side at once, before anything fingerprints their whole
// content: each is passed over with its first file (see ByteForByte.h), so a bucket of copies
// is read only once, and the sets it parts into go on from where they are known to agree.
// Leaves open the buckets small enough to read side by side and those the passes gave up on.
StageResult SplitByFirstFile(std::vector<Bucket> buckets, const SearchContext& context);

// The last stage: splits every bucket into sets of files that agree byte for byte over their
// whole catalogued size and end there, and leaves nothing open. A bucket small enough is read
// side by side; a larger one is passed over with its first files, and what the passes give up
// on is sorted by content.
StageResult SplitByWholeContent(std::vector<Bucket> buckets, const SearchContext& context);

}  // namespace zwf::detect
