#include "detect/Stages.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "detect/ByteForByte.h"

namespace zwf::detect {

namespace {

// Buckets small enough to open at once, several threads taking one bucket each.
void CompareEachSideBySide(std::vector<Bucket>& buckets, const SearchContext& context, Refusals& refusals,
                           std::vector<Bucket>& settled) {
    std::vector<std::vector<Bucket>> found(buckets.size());
    context.ForEach(buckets.size(), [&](std::size_t k, unsigned worker) {
        CompareSideBySide(buckets[k], context, worker, refusals, found[k]);
    });
    for (std::vector<Bucket>& sets : found)
        std::ranges::move(sets, std::back_inserter(settled));
}

}  // namespace

StageResult SplitByFirstFile(std::vector<Bucket> buckets, const SearchContext& context) {
    StageResult result;
    Refusals refusals;
    for (Bucket& bucket : buckets) {
        if (TooManyToOpenAtOnce(bucket))
            SplitByFirstFiles(std::move(bucket), context, refusals, result);
        else
            result.open.push_back(std::move(bucket));
    }
    result.refused = refusals.Take();
    return result;
}

StageResult SplitByWholeContent(std::vector<Bucket> buckets, const SearchContext& context) {
    StageResult result = SplitByFirstFile(std::move(buckets), context);
    Refusals refusals;
    std::vector<Bucket> small;
    for (Bucket& bucket : std::exchange(result.open, {})) {
        if (TooManyToOpenAtOnce(bucket))  // given up on by the passes
            SplitBySortingContent(bucket, context, refusals, result.settled);
        else
            small.push_back(std::move(bucket));
    }
    CompareEachSideBySide(small, context, refusals, result.settled);
    std::ranges::move(refusals.Take(), std::back_inserter(result.refused));
    return result;
}

}  // namespace zwf::detect
