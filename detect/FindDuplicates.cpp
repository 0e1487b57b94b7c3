#include "detect/FindDuplicates.h"

#include <algorithm>

#include "detect/ContentSplit.h"
#include "detect/CountingFileSystem.h"
#include "detect/EdgeSplit.h"
#include "detect/Parallel.h"
#include "detect/SizeBuckets.h"
#include "detect/SmallFiles.h"

namespace zwf {

namespace {

using detect::Bucket;

std::uint64_t BytesToCompare(const std::vector<Bucket>& buckets) {
    std::uint64_t total = 0;
    for (const Bucket& bucket : buckets)
        total += bucket.size * bucket.files.size();
    return total;
}

// Groups in the order of their earliest files; each bucket is already in catalogue order. A file
// found changed after its set was settled leaves the set.
void AppendInCatalogueOrder(std::vector<Bucket> sets, const detect::SeenFiles& seen, Catalogue& catalogue) {
    for (Bucket& set : sets)
        std::erase_if(set.files, [&](std::size_t file) { return seen.Refused(file); });
    std::erase_if(sets, [](const Bucket& set) { return set.files.size() < 2; });
    std::sort(sets.begin(), sets.end(), [](const Bucket& a, const Bucket& b) { return a.files.front() < b.files.front(); });
    for (const Bucket& set : sets)
        catalogue.AppendGroup(set.size, set.files, &seen.Times());
}

}  // namespace

SearchReport FindDuplicates(Catalogue& catalogue, FileSystem& fileSystem, const SearchProgressFn& progress,
                            IoCounters* counters) {
    catalogue.ClearGroups();
    detect::CountingFileSystem counting(fileSystem);
    detect::SeenFiles seen(catalogue.allFiles);

    std::vector<Bucket> buckets =
        detect::BucketBySize(catalogue.allFiles, detect::FirstRecordOfEachFile(catalogue.allFiles));
    detect::ProgressMeter meter(progress, BytesToCompare(buckets));
    detect::Workers workers(detect::ReadingThreads(counting.ReadsInParallel()));
    const detect::SearchContext context{catalogue, counting, meter, seen, workers};

    buckets = detect::SplitSmallFilesByContent(std::move(buckets), context);  // byte for byte
    buckets = detect::SplitByPrefix(std::move(buckets), context);
    buckets = detect::SplitBySuffix(std::move(buckets), context);
    buckets = detect::SplitOffCopiesOfFirstFile(std::move(buckets), context);  // byte for byte
    buckets = detect::SplitByContentFingerprint(std::move(buckets), context);
    buckets = detect::SplitByWholeContent(std::move(buckets), context);  // byte for byte
    meter.Finish();
    if (counters)
        counting.AddTo(*counters);
    AppendInCatalogueOrder(std::move(buckets), seen, catalogue);
    return SearchReport{seen.Problems()};
}

}  // namespace zwf
