#include "detect/FindDuplicates.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <numeric>

#include "detect/Bucket.h"
#include "detect/Parallel.h"
#include "detect/SizeBuckets.h"
#include "detect/Stages.h"

namespace zwf {

namespace detect {

namespace {

// Files larger than this are looked at from the end as well: copies that differ near the end
// part before their whole content is read.
constexpr std::uint64_t kSuffixFromBytes = 1024 * 1024;

Piece Prefix(const Bucket& bucket) { return {bucket.agreed, std::min<std::uint64_t>(bucket.size, kPrefixBytes)}; }
Piece Suffix(const Bucket& bucket) { return {std::max(bucket.agreed, bucket.size - kPrefixBytes), bucket.size}; }
Piece Rest(const Bucket& bucket) { return {bucket.agreed, bucket.size}; }

// The rules that pick the buckets of a stage.
bool ManySmallFiles(const Bucket& bucket) { return TooManyToOpenAtOnce(bucket) && bucket.size <= kSmallFileBytes; }
bool ManyWithPrefixOpen(const Bucket& bucket) {
    return TooManyToOpenAtOnce(bucket) && bucket.agreed < Prefix(bucket).to;
}
bool LargeWithEndOpen(const Bucket& bucket) { return bucket.size >= kSuffixFromBytes && bucket.agreed < bucket.size; }
bool ManyWithContentOpen(const Bucket& bucket) { return TooManyToOpenAtOnce(bucket) && bucket.agreed < bucket.size; }
bool Any(const Bucket&) { return true; }

Stage FingerprintOf(PieceOf piece) {
    return [piece](std::vector<Bucket> taken, const SearchContext& context) {
        return SplitByFingerprint(std::move(taken), context, piece);
    };
}

}  // namespace

// The search, after the files are bucketed by size (files of a size no other file has, empty
// files and second records of one file left out), runs these steps in this order:
//  1. buckets of many small files: each file read whole, copies compared on the spot;
//  2. buckets too many to open at once: a fingerprint of their first 4 KiB;
//  3. buckets of files of 1 MiB and more: a fingerprint of their last 4 KiB;
//  4. buckets too many to open at once: passes with a first file, which settle its copies;
//  5. what is still too many to open at once: a fingerprint of the whole content;
//  6. what the fingerprints made of it: passes with a first file again;
//  7. what the passes gave up on: sorted by content;
//  8. every bucket left, now small enough: its files read side by side.
// Steps 1, 4, 6, 7 and 8 compare byte for byte; the last leaves nothing open.
std::span<const Step> SearchSteps() {
    static const Step steps[] = {
        {"small files", ManySmallFiles, SplitSmallFilesByContent},
        {"first bytes", ManyWithPrefixOpen, FingerprintOf(Prefix)},
        {"last bytes", LargeWithEndOpen, FingerprintOf(Suffix)},
        {"first file", TooManyToOpenAtOnce, SplitByFirstFile},
        {"content fingerprint", ManyWithContentOpen, FingerprintOf(Rest)},
        {"first file again", TooManyToOpenAtOnce, SplitByFirstFile},
        {"sorted by content", TooManyToOpenAtOnce, SplitBySortingContent},
        {"side by side", Any, SplitSideBySide},
    };
    return steps;
}

StageResult TakeAndSplit(const Step& step, std::vector<Bucket> buckets, const SearchContext& context) {
    std::vector<Bucket> taken, left;
    for (Bucket& bucket : buckets)
        (step.takes(bucket) ? taken : left).push_back(std::move(bucket));
    if (taken.empty())
        return StageResult{std::move(left), {}, {}};
    StageResult result = step.stage(std::move(taken), context);
    left.insert(left.end(), std::make_move_iterator(result.open.begin()), std::make_move_iterator(result.open.end()));
    result.open = std::move(left);
    return result;
}

}  // namespace detect

namespace {

using detect::Bucket;

std::uint64_t BytesOpen(const std::vector<Bucket>& buckets) {
    return std::transform_reduce(buckets.begin(), buckets.end(), std::uint64_t{0}, std::plus{},
                                 std::mem_fn(&Bucket::BytesOpen));
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
    const detect::ExamineFn examine = [&](std::size_t record) {
        return fileSystem.Stat(catalogue.FullPath(catalogue.allFiles[record]));
    };
    std::vector<Bucket> open =
        detect::BucketBySize(catalogue.allFiles, detect::FirstRecordOfEachFile(catalogue.allFiles, examine));
    const std::uint64_t total = BytesOpen(open);
    detect::ProgressMeter meter(progress, total);
    std::vector<detect::Scratch> scratch(workers.Count());
    std::vector<detect::HeldFolder> folders(workers.Count());
    detect::ReadTally tally;
    const detect::SearchContext context{catalogue, fileSystem, meter, workers, scratch, folders, tally};

    Findings found;
    for (const detect::Step& step : detect::SearchSteps()) {
        open = found.Take(detect::TakeAndSplit(step, std::move(open), context));
        meter.Reach(total - BytesOpen(open));
    }
    std::ranges::sort(found.refused, {}, &UnreadFile::file);
    AppendInCatalogueOrder(std::move(found.sets), catalogue);
    meter.Finish();
    if (counters) {
        counters->filesOpened += tally.filesOpened;
        counters->bytesRead += tally.bytesRead;
    }
    return SearchReport{std::move(found.refused)};
}

}  // namespace zwf
