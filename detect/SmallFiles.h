#pragma once

#include <vector>

#include "detect/SearchContext.h"
#include "detect/SizeBuckets.h"

namespace zwf::detect {

// Files up to this size are read whole in one go.
inline constexpr std::size_t kSmallFileBytes = 64 * 1024;

// Buckets of small files too many to read side by side: each file is read whole once, and a file
// whose fingerprint matches an earlier file's is compared with that file byte for byte on the
// spot, by reading the earlier file again, while its own bytes are still at hand. The sets found
// leave confirmed; the rare file that matches a fingerprint but not the bytes stays a candidate.
std::vector<Bucket> SplitSmallFilesByContent(std::vector<Bucket> buckets, const SearchContext& context);

}  // namespace zwf::detect
