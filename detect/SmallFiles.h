#pragma once

#include <vector>

#include "detect/Bucket.h"
#include "detect/SearchContext.h"

namespace zwf::detect {

// Files up to this size are read whole in one go.
inline constexpr std::size_t kSmallFileBytes = 64 * 1024;

// Buckets of small files too many to read side by side: each file is read whole once, and a file
// whose fingerprint matches an earlier file's is compared with that file byte for byte on the
// spot, while its own bytes are still at hand (the earlier file's bytes are kept from the last
// time the thread read them, or read again). The sets found are settled; the rare files that
// match a fingerprint but not the bytes stay open, together, for the later stages, which take
// any number of such files without comparing each with each. Other buckets stay open as they are.
StageResult SplitSmallFilesByContent(std::vector<Bucket> buckets, const SearchContext& context);

}  // namespace zwf::detect
