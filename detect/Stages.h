#pragma once

// The stages of a search, in the order it runs them. Each takes the open buckets and hands back
// what it leaves open for the next, the sets it settled, and the files it refused (see Bucket.h);
// a bucket a stage does not look at stays open as it is. Only byte-for-byte stages settle; the
// others split by fingerprints, which cover only bytes not yet known to be equal.
#include <vector>

#include "detect/Bucket.h"
#include "detect/SearchContext.h"

namespace zwf::detect {

// Files up to this size are read whole in one go.
inline constexpr std::size_t kSmallFileBytes = 64 * 1024;

// Byte for byte. Buckets of small files too many to read side by side: each file is read whole
// once, and a file whose fingerprint matches an earlier file's is compared with that file byte
// for byte on the spot, while its own bytes are still at hand (the earlier file's bytes are kept
// while the search's keptBytes last, or read again). The rare files that match a fingerprint
// but not the bytes stay open together, for stages that take any number of such files.
StageResult SplitSmallFilesByContent(std::vector<Bucket> buckets, const SearchContext& context);

// Buckets too large to compare side by side, by their first kPrefixBytes (the whole file when
// it is no larger).
StageResult SplitByPrefix(std::vector<Bucket> buckets, const SearchContext& context);

// Buckets of large files, by their last kPrefixBytes: copies that differ near the end part
// before their whole content is read.
StageResult SplitBySuffix(std::vector<Bucket> buckets, const SearchContext& context);

// Byte for byte. Buckets too large to read side by side at once, before anything fingerprints
// their whole content: each is passed over with its first file (see ByteForByte.h), so a bucket
// of copies is read only once, and the sets it parts into go on from where they are known to
// agree. Leaves open the buckets small enough to read side by side and those the passes gave up on.
StageResult SplitByFirstFile(std::vector<Bucket> buckets, const SearchContext& context);

// Buckets still too large to compare side by side, by a fingerprint of the whole content.
StageResult SplitByContentFingerprint(std::vector<Bucket> buckets, const SearchContext& context);

// Byte for byte, and the last: splits every bucket into sets of files that agree over their whole
// catalogued size and end there, and leaves nothing open. A bucket small enough is read side by
// side; a larger one is passed over with its first files, and what the passes give up on is
// sorted by content.
StageResult SplitByWholeContent(std::vector<Bucket> buckets, const SearchContext& context);

}  // namespace zwf::detect
