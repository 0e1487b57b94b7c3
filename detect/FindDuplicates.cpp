#include "detect/FindDuplicates.h"

#include <algorithm>
#include <functional>
#include <numeric>

#include "detect/Bucket.h"
#include "detect/Parallel.h"
#include "detect/SizeBuckets.h"
#include "detect/Stages.h"

namespace zwf {

namespace {

using detect::Bucket;

std::uint64_t BytesOpen(const std::vector<Bucket>& buckets) {
    return std::transform_reduce(buckets.begin(), buckets.end(), std::uint64_t{0}, std::plus{}, std::mem_fn(&Bucket::BytesOpen));
}

// What the stages settled and refused, gathered once.
struct Findings {
    std::vector<Bucket> sets;
    std::vector<UnreadFile> refused;

    std::vector<Bucket> Take(detect::StageResult stage) {
        std::ranges::move(stage.settled, std::back_inserter(sets));
        std::ranges::move(stage.refused, std::back_inserter(refused));
        return std::move(stage.open);
    }
};

// Groups in the order of their earliest files; each set is in catalogue order.
void AppendInCatalogueOrder(std::vector<Bucket> sets, Catalogue& catalogue) {
    std::ranges::sort(sets, {}, [](const Bucket& set) { return set.files.front().file; });
    for (const Bucket& set : sets) {
        std::vector<std::size_t> sources(set.files.size());
        std::vector<FileTimes> seen(set.files.size());
        std::ranges::transform(set.files, sources.begin(), &detect::Candidate::file);
        std::ranges::transform(set.files, seen.begin(), &detect::Candidate::seen);
        catalogue.AppendGroup(set.size, sources, seen);
    }
}

}  // namespace

SearchReport FindDuplicates(Catalogue& catalogue, FileSystem& fileSystem, const SearchProgressFn& progress,
                            IoCounters* counters) {
    catalogue.ClearGroups();
    detect::Workers workers(detect::ReadingThreads(fileSystem.ReadsInParallel()));
    std::vector<Bucket> open;
    {
        // Bucketing sorts every file (a second at a million files), and making the groups takes a
        // tenth of that: a reading thread does both while this one keeps the window alive.
        detect::ProgressMeter starting(progress, 1);
        detect::ForEachReporting(workers, starting, 1, [&](std::size_t, unsigned) {
            const detect::ExamineFn examine = [&](std::size_t record) {
                return fileSystem.Stat(catalogue.FullPath(catalogue.allFiles[record]));
            };
            open = detect::BucketBySize(catalogue.allFiles, detect::FirstRecordOfEachFile(catalogue.allFiles, examine));
        });
    }
    const std::uint64_t total = BytesOpen(open);
    detect::ProgressMeter meter(progress, total);
    std::vector<detect::Scratch> scratch(workers.Count());
    detect::ReadTally tally;
    const detect::SearchContext context{catalogue, fileSystem, meter, workers, scratch, tally};

    Findings found;
    for (const auto stage : {detect::SplitSmallFilesByContent,  // byte for byte
                             detect::SplitByPrefix, detect::SplitBySuffix,
                             detect::SplitByFirstFile,  // byte for byte
                             detect::SplitByContentFingerprint,
                             detect::SplitByWholeContent}) {  // byte for byte; leaves nothing open
        open = found.Take(stage(std::move(open), context));
        meter.Reach(total - BytesOpen(open));
    }
    detect::ForEachReporting(workers, meter, 1, [&](std::size_t, unsigned) {
        std::ranges::sort(found.refused, {}, &UnreadFile::file);
        AppendInCatalogueOrder(std::move(found.sets), catalogue);
    });
    meter.Finish();
    if (counters) {
        counters->filesOpened += tally.filesOpened;
        counters->bytesRead += tally.bytesRead;
    }
    return SearchReport{std::move(found.refused)};
}

}  // namespace zwf
