#include "detect/ContentSplit.h"

#include <algorithm>

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
// each batch of the others, and the files that agree with it form its set. The others return,
// in catalogue order, for the next pass; each pass settles at least the first file.
std::vector<std::size_t> SetOfFirstFile(const std::vector<std::size_t>& files, std::uint64_t size,
                                        const SearchContext& context, std::vector<Bucket>& out) {
    const std::size_t first = files.front();
    std::vector<std::size_t> set{first}, rest;
    std::uint64_t settled = 0;
    bool firstLost = false;
    std::size_t next = 1;
    while (next < files.size() && !firstLost) {
        const std::size_t end = std::min(files.size(), next + kMaxOpenFiles - 1);
        std::vector<std::size_t> batch{first};
        batch.insert(batch.end(), files.begin() + static_cast<std::ptrdiff_t>(next),
                     files.begin() + static_cast<std::ptrdiff_t>(end));
        next = end;
        Partition partition = CompareSideBySide(batch, size, context, CountProgress::No);
        firstLost = std::ranges::find(partition.unreadable, first) != partition.unreadable.end();
        settled += partition.unreadable.size();
        for (const std::vector<std::size_t>& same : partition.classes) {
            if (same.front() == first)
                set.insert(set.end(), same.begin() + 1, same.end());
            else
                rest.insert(rest.end(), same.begin(), same.end());
        }
    }
    if (firstLost) {
        // The first file can no longer be read; the files that agreed with it so far go round again.
        rest.insert(rest.end(), set.begin() + 1, set.end());
        rest.insert(rest.end(), files.begin() + static_cast<std::ptrdiff_t>(next), files.end());
    } else {
        settled += set.size();
        if (set.size() >= 2)
            out.push_back(Bucket{size, std::move(set)});
    }
    context.progress.Advance(size * settled);
    std::sort(rest.begin(), rest.end());
    return rest;
}

}  // namespace

// Buckets are independent of each other: several threads may take one each.
std::vector<Bucket> SplitByWholeContent(std::vector<Bucket> buckets, const SearchContext& context) {
    std::vector<std::vector<Bucket>> found(buckets.size());
    context.ForEach(buckets.size(), [&](std::size_t i, unsigned) {
        Bucket& bucket = buckets[i];
        if (bucket.confirmed) {
            found[i].push_back(std::move(bucket));
            return;
        }
        std::vector<std::size_t> pending = std::move(bucket.files);
        while (pending.size() > kMaxOpenFiles)
            pending = SetOfFirstFile(pending, bucket.size, context, found[i]);
        if (pending.size() >= 2)
            KeepSets(bucket.size, CompareSideBySide(pending, bucket.size, context, CountProgress::Yes), found[i]);
        else
            context.progress.Advance(bucket.size * pending.size());
    });
    std::vector<Bucket> out;
    for (std::vector<Bucket>& sets : found)
        for (Bucket& set : sets)
            out.push_back(std::move(set));
    return out;
}

}  // namespace zwf::detect
