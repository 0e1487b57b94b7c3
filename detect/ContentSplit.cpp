#include "detect/ContentSplit.h"

#include <algorithm>

#include "detect/ContentOrder.h"
#include "detect/Parallel.h"
#include "detect/SideBySide.h"

namespace zwf::detect {

namespace {

void KeepSets(std::uint64_t size, Partition partition, std::vector<Bucket>& out) {
    for (std::vector<std::size_t>& files : partition.classes)
        if (files.size() >= 2)
            out.push_back(Bucket{size, std::move(files)});
}

// The next batches of a pass: the first file and the files from next on, up to one batch for
// each thread.
std::vector<std::vector<std::size_t>> NextBatches(const std::vector<std::size_t>& files, std::size_t& next,
                                                  unsigned threads) {
    std::vector<std::vector<std::size_t>> batches;
    while (next < files.size() && batches.size() < threads) {
        const std::size_t end = std::min(files.size(), next + kMaxOpenFiles - 1);
        batches.push_back({files.front()});
        batches.back().insert(batches.back().end(), files.begin() + static_cast<std::ptrdiff_t>(next),
                              files.begin() + static_cast<std::ptrdiff_t>(end));
        next = end;
    }
    return batches;
}

// One pass over a bucket too large to open at once: its first file is read side by side with
// each batch of the others, a batch per thread at a time, and the files that agree with it form
// its set, which leaves confirmed. The others return, in catalogue order. When fewer than half
// of a batch agree with the first file, the bucket holds many contents and reading it all with
// one file would mostly be waste: the pass gives up, and every file still readable returns,
// the first file's set included. So it does when the first file can no longer be read. Each
// pass therefore reads at most one batch per thread more than the set it settles.
std::vector<std::size_t> SetOfFirstFile(const std::vector<std::size_t>& files, std::uint64_t size,
                                        const SearchContext& context, std::vector<Bucket>& out) {
    const std::size_t first = files.front();
    std::vector<std::size_t> set{first}, rest;
    std::uint64_t unreadable = 0;
    bool givenUp = false;
    std::size_t next = 1;
    while (next < files.size() && !givenUp) {
        const std::vector<std::vector<std::size_t>> batches = NextBatches(files, next, context.Threads());
        std::vector<AgreementWithFirst> outcomes(batches.size());
        context.ForEach(batches.size(), [&](std::size_t b, unsigned) {
            outcomes[b] = CompareWithFirst(batches[b], size, context);
        });
        for (std::size_t b = 0; b < batches.size(); ++b) {
            const AgreementWithFirst& outcome = outcomes[b];
            unreadable += static_cast<std::uint64_t>(std::ranges::count_if(
                outcome.unreadable, [&](std::size_t file) { return file != first; }));  // the first is counted once, below
            set.insert(set.end(), outcome.agree.begin(), outcome.agree.end());
            rest.insert(rest.end(), outcome.rest.begin(), outcome.rest.end());
            givenUp = givenUp || !outcome.firstRead || 2 * outcome.agree.size() < batches[b].size() - 1;
        }
    }
    if (givenUp) {
        const bool firstLost = context.seen.Refused(first);
        unreadable += firstLost ? 1 : 0;
        rest.insert(rest.end(), set.begin() + (firstLost ? 1 : 0), set.end());
        rest.insert(rest.end(), files.begin() + static_cast<std::ptrdiff_t>(next), files.end());
    } else {
        unreadable += set.size();  // settled, though not unreadable: counted alike
        if (set.size() >= 2)
            out.push_back(Bucket{size, std::move(set), true});
    }
    context.progress.Advance(size * unreadable);
    std::sort(rest.begin(), rest.end());
    return rest;
}

bool TooLargeToReadSideBySide(const Bucket& bucket) { return bucket.files.size() > kMaxOpenFiles; }

// Splits the large buckets with `large`, one after another, as each uses every thread itself,
// and the others with `small`, several threads taking one bucket each; confirmed buckets pass
// on untouched.
template <typename Large, typename Small>
std::vector<Bucket> ForEachOpenBucket(std::vector<Bucket> buckets, const SearchContext& context, const Large& large,
                                      const Small& small) {
    std::vector<std::vector<Bucket>> found(buckets.size());
    std::vector<std::size_t> smallOnes;
    for (std::size_t i = 0; i < buckets.size(); ++i) {
        if (buckets[i].confirmed)
            found[i].push_back(std::move(buckets[i]));
        else if (TooLargeToReadSideBySide(buckets[i]))
            large(buckets[i], found[i]);
        else
            smallOnes.push_back(i);
    }
    context.ForEach(smallOnes.size(), [&](std::size_t k, unsigned) { small(buckets[smallOnes[k]], found[smallOnes[k]]); });
    std::vector<Bucket> out;
    for (std::vector<Bucket>& sets : found)
        for (Bucket& set : sets)
            out.push_back(std::move(set));
    return out;
}

}  // namespace

std::vector<Bucket> SplitOffCopiesOfFirstFile(std::vector<Bucket> buckets, const SearchContext& context) {
    return ForEachOpenBucket(
        std::move(buckets), context,
        [&](Bucket& bucket, std::vector<Bucket>& out) {
            Bucket rest{bucket.size, SetOfFirstFile(bucket.files, bucket.size, context, out)};
            if (rest.files.size() >= 2)
                out.push_back(std::move(rest));
            else
                context.progress.Advance(rest.size * rest.files.size());
        },
        [](Bucket& bucket, std::vector<Bucket>& out) { out.push_back(std::move(bucket)); });
}

std::vector<Bucket> SplitByWholeContent(std::vector<Bucket> buckets, const SearchContext& context) {
    auto sideBySide = [&](const std::vector<std::size_t>& files, std::uint64_t size, std::vector<Bucket>& out) {
        if (files.size() >= 2)
            KeepSets(size, CompareSideBySide(files, size, context, CountProgress::Yes), out);
        else
            context.progress.Advance(size * files.size());
    };
    return ForEachOpenBucket(
        std::move(buckets), context,
        [&](Bucket& bucket, std::vector<Bucket>& out) {
            const std::vector<std::size_t> rest = SetOfFirstFile(bucket.files, bucket.size, context, out);
            if (rest.size() > kMaxOpenFiles)
                KeepSets(bucket.size, SplitBySortingContent(rest, bucket.size, context), out);
            else
                sideBySide(rest, bucket.size, out);
        },
        [&](Bucket& bucket, std::vector<Bucket>& out) { sideBySide(bucket.files, bucket.size, out); });
}

}  // namespace zwf::detect
