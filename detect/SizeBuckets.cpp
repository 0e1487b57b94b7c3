#include "detect/SizeBuckets.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace zwf::detect {

namespace {
struct IdentityHash {
    std::size_t operator()(const FileIdentity& identity) const {
        return std::hash<std::uint64_t>{}(identity.index * 0x9E3779B97F4A7C15ull ^ identity.volume);
    }
};
}  // namespace

std::vector<std::size_t> FirstRecordOfEachFile(const std::vector<FileEntry>& allFiles) {
    std::vector<std::size_t> records;
    records.reserve(allFiles.size());
    std::unordered_set<FileIdentity, IdentityHash> seen;
    for (std::size_t i = 0; i < allFiles.size(); ++i) {
        const FileEntry& entry = allFiles[i];
        if (entry.size == 0)
            continue;
        // A record without a known identity cannot be matched to another record of its file.
        if (entry.identity.Known() && !seen.insert(entry.identity).second)
            continue;
        records.push_back(i);
    }
    return records;
}

std::vector<Bucket> BucketBySize(const std::vector<FileEntry>& allFiles, const std::vector<std::size_t>& records) {
    std::unordered_map<std::uint64_t, std::size_t> bucketOfSize;
    std::vector<Bucket> buckets;
    for (std::size_t record : records) {
        const std::uint64_t size = allFiles[record].size;
        auto [it, added] = bucketOfSize.try_emplace(size, buckets.size());
        if (added)
            buckets.push_back(Bucket{size, {}});
        buckets[it->second].files.push_back(record);
    }
    return DropSingles(std::move(buckets));
}

std::vector<Bucket> DropSingles(std::vector<Bucket> buckets) {
    std::erase_if(buckets, [](const Bucket& bucket) { return bucket.files.size() < 2; });
    return buckets;
}

}  // namespace zwf::detect
