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

// One pass over a bucket too large to open at once: its first file is read side by side with
// each batch of the others, and the files that agree with it form its set, which leaves
// confirmed. The others return, in catalogue order. When fewer than half of a batch agree with
// the first file, the bucket holds many contents and reading it all with one file would mostly
// be waste: the pass gives up, and every file still readable returns, the first file's set
// included. So it does when the first file can no longer be read. Each pass therefore reads
// at most one batch more than the set it settles.
std::vector<std::size_t> SetOfFirstFile(const std::vector<std::size_t>& files, std::uint64_t size,
                                        const SearchContext& context, std::vector<Bucket>& out) {
    const std::size_t first = files.front();
    std::vector<std::size_t> set{first}, rest;
    std::uint64_t unreadable = 0;
    bool givenUp = false;
    std::size_t next = 1;
    while (next < files.size() && !givenUp) {
        const std::size_t end = std::min(files.size(), next + kMaxOpenFiles - 1);
        std::vector<std::size_t> batch{first};
        batch.insert(batch.end(), files.begin() + static_cast<std::ptrdiff_t>(next),
                     files.begin() + static_cast<std::ptrdiff_t>(end));
        next = end;
        Partition partition = CompareSideBySide(batch, size, context, CountProgress::No);
        unreadable += partition.unreadable.size();
        bool firstRead = false;
        std::size_t agreed = 0;
        for (const std::vector<std::size_t>& same : partition.classes) {
            if (same.front() == first) {
                firstRead = true;
                agreed = same.size() - 1;
                set.insert(set.end(), same.begin() + 1, same.end());
            } else {
                rest.insert(rest.end(), same.begin(), same.end());
            }
        }
        givenUp = !firstRead || 2 * agreed < batch.size() - 1;
    }
    if (givenUp) {
        rest.insert(rest.end(), set.begin() + (context.seen.Refused(first) ? 1 : 0), set.end());
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

// Runs work on every bucket not yet confirmed, several threads taking one bucket each, and
// gathers what it keeps in bucket order; confirmed buckets pass on untouched.
template <typename Work>
std::vector<Bucket> ForEachOpenBucket(std::vector<Bucket> buckets, const SearchContext& context, const Work& work) {
    std::vector<std::vector<Bucket>> found(buckets.size());
    ForEachIndex(buckets.size(), context.threads, [&](std::size_t i, unsigned) {
        if (buckets[i].confirmed)
            found[i].push_back(std::move(buckets[i]));
        else
            work(buckets[i], found[i]);
    });
    std::vector<Bucket> out;
    for (std::vector<Bucket>& sets : found)
        for (Bucket& set : sets)
            out.push_back(std::move(set));
    return out;
}

}  // namespace

std::vector<Bucket> SplitOffCopiesOfFirstFile(std::vector<Bucket> buckets, const SearchContext& context) {
    return ForEachOpenBucket(std::move(buckets), context, [&](Bucket& bucket, std::vector<Bucket>& out) {
        if (bucket.files.size() <= kMaxOpenFiles) {
            out.push_back(std::move(bucket));
            return;
        }
        Bucket rest{bucket.size, SetOfFirstFile(bucket.files, bucket.size, context, out)};
        if (rest.files.size() >= 2)
            out.push_back(std::move(rest));
        else
            context.progress.Advance(rest.size * rest.files.size());
    });
}

std::vector<Bucket> SplitByWholeContent(std::vector<Bucket> buckets, const SearchContext& context) {
    return ForEachOpenBucket(std::move(buckets), context, [&](Bucket& bucket, std::vector<Bucket>& out) {
        std::vector<std::size_t> pending = std::move(bucket.files);
        if (pending.size() > kMaxOpenFiles)
            pending = SetOfFirstFile(pending, bucket.size, context, out);
        if (pending.size() > kMaxOpenFiles)
            KeepSets(bucket.size, SplitBySortingContent(pending, bucket.size, context), out);
        else if (pending.size() >= 2)
            KeepSets(bucket.size, CompareSideBySide(pending, bucket.size, context, CountProgress::Yes), out);
        else
            context.progress.Advance(bucket.size * pending.size());
    });
}

}  // namespace zwf::detect
