#include "detect/FindDuplicates.h"

#include <algorithm>

#include "detect/FilesEqual.h"
#include "detect/SizeBuckets.h"

namespace zwf {

namespace {

using detect::Bucket;

// Splits one bucket into sets of identical files by comparing each file with the first file
// of every set found so far.
std::vector<Bucket> SplitByComparison(const Catalogue& catalogue, FileSystem& fileSystem, const Bucket& bucket) {
    std::vector<Bucket> sets;
    for (std::size_t file : bucket.files) {
        const std::string path = catalogue.FullPath(catalogue.allFiles[file]);
        auto same = std::find_if(sets.begin(), sets.end(), [&](const Bucket& set) {
            return FilesEqual(fileSystem, path, catalogue.FullPath(catalogue.allFiles[set.files.front()]),
                              bucket.size) != 0;
        });
        if (same == sets.end())
            sets.push_back(Bucket{bucket.size, {file}});
        else
            same->files.push_back(file);
    }
    return detect::DropSingles(std::move(sets));
}

}  // namespace

void FindDuplicates(Catalogue& catalogue, FileSystem& fileSystem, const SearchProgressFn& progress,
                    IoCounters* /*counters*/) {
    catalogue.ClearGroups();
    auto buckets = detect::BucketBySize(catalogue.allFiles, detect::FirstRecordOfEachFile(catalogue.allFiles));
    std::uint64_t total = 0, done = 0;
    for (const Bucket& bucket : buckets)
        total += bucket.size * bucket.files.size();
    std::vector<Bucket> sets;
    for (const Bucket& bucket : buckets) {
        for (Bucket& set : SplitByComparison(catalogue, fileSystem, bucket))
            sets.push_back(std::move(set));
        done += bucket.size * bucket.files.size();
        if (progress)
            progress(done, total);
    }
    std::sort(sets.begin(), sets.end(),
              [](const Bucket& a, const Bucket& b) { return a.files.front() < b.files.front(); });
    for (const Bucket& set : sets)
        catalogue.AppendGroup(set.size, set.files);
}

}  // namespace zwf
