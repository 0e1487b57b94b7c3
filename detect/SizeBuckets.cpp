#include "detect/SizeBuckets.h"

#include <algorithm>
#include <tuple>

namespace zwf::detect {

// Both functions sort a list of indices instead of building hash tables: the list costs eight
// bytes a record, which keeps the search's memory well below the catalogue's own.

std::vector<std::size_t> FirstRecordOfEachFile(const std::vector<FileEntry>& allFiles) {
    std::vector<std::size_t> known;
    for (std::size_t i = 0; i < allFiles.size(); ++i)
        if (allFiles[i].size > 0 && allFiles[i].identity.Known())
            known.push_back(i);
    auto identityOf = [&](std::size_t i) { return std::tie(allFiles[i].identity.volume, allFiles[i].identity.index); };
    std::sort(known.begin(), known.end(), [&](std::size_t a, std::size_t b) {
        return std::tuple(identityOf(a), a) < std::tuple(identityOf(b), b);
    });
    std::vector<bool> later(allFiles.size(), false);
    for (std::size_t k = 1; k < known.size(); ++k)
        later[known[k]] = allFiles[known[k]].identity == allFiles[known[k - 1]].identity;
    known = {};

    // A record without a known identity cannot be matched to another record of its file.
    std::vector<std::size_t> records;
    for (std::size_t i = 0; i < allFiles.size(); ++i)
        if (allFiles[i].size > 0 && !later[i])
            records.push_back(i);
    return records;
}

std::vector<Bucket> BucketBySize(const std::vector<FileEntry>& allFiles, std::vector<std::size_t> records) {
    std::stable_sort(records.begin(), records.end(),
                     [&](std::size_t a, std::size_t b) { return allFiles[a].size < allFiles[b].size; });
    std::vector<Bucket> buckets;
    for (std::size_t start = 0; start < records.size();) {
        const std::uint64_t size = allFiles[records[start]].size;
        std::size_t end = start + 1;
        while (end < records.size() && allFiles[records[end]].size == size)
            ++end;
        if (end - start >= 2) {
            Bucket& bucket = buckets.emplace_back(Bucket{size, 0, {}});
            bucket.files.reserve(end - start);
            for (std::size_t k = start; k < end; ++k)
                bucket.files.push_back(Candidate{static_cast<std::uint32_t>(records[k])});
        }
        start = end;
    }
    return buckets;
}

}  // namespace zwf::detect
