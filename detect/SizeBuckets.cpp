#include "detect/SizeBuckets.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <tuple>

namespace zwf::detect {

// Both functions sort a list of indices instead of building hash tables: the list costs eight
// bytes a record, which keeps the search's memory well below the catalogue's own.

namespace {

// Whether a record on another device whose inode number and size agree is the same file: its
// times agree to the last unit too, and each record still leads to the file catalogued. Times of
// 0 are times the system does not tell.
bool SeenTwice(const FileEntry& first, const FileStatus& firstNow, const FileEntry& second,
               const FileStatus& secondNow) {
    const auto asCatalogued = [](const FileEntry& entry, const FileStatus& now) {
        return !now.error && now.kind == EntryKind::File && now.identity == entry.identity && now.size == entry.size;
    };
    return asCatalogued(first, firstNow) && asCatalogued(second, secondNow) && firstNow.times.modified != 0 &&
           firstNow.times == secondNow.times;
}

// Among the first records of one inode number, each on a device of its own (in catalogue order),
// marks those that show a file an earlier one shows already.
void MarkViewsOfOneFile(const std::vector<FileEntry>& allFiles, const std::vector<std::size_t>& firsts,
                        const ExamineFn& examine, std::vector<bool>& later) {
    std::vector<std::optional<FileStatus>> now(firsts.size());
    const auto look = [&](std::size_t k) -> const FileStatus& {
        if (!now[k])
            now[k] = examine(firsts[k]);
        return *now[k];
    };
    for (std::size_t b = 1; b < firsts.size(); ++b) {
        const FileEntry& second = allFiles[firsts[b]];
        for (std::size_t a = 0; a < b && !later[firsts[b]]; ++a) {
            const FileEntry& first = allFiles[firsts[a]];
            if (first.size == second.size && SeenTwice(first, look(a), second, look(b)))
                later[firsts[b]] = true;
        }
    }
}

}  // namespace

std::vector<std::size_t> FirstRecordOfEachFile(const std::vector<FileEntry>& allFiles, const ExamineFn& examine) {
    std::vector<std::size_t> known;
    for (std::size_t i = 0; i < allFiles.size(); ++i)
        if (allFiles[i].size > 0 && allFiles[i].identity.Known())
            known.push_back(i);
    // By inode number first, so that the records of one number on several devices come together.
    auto identityOf = [&](std::size_t i) { return std::tie(allFiles[i].identity.index, allFiles[i].identity.volume); };
    std::sort(known.begin(), known.end(), [&](std::size_t a, std::size_t b) {
        return std::tuple(identityOf(a), a) < std::tuple(identityOf(b), b);
    });
    std::vector<bool> later(allFiles.size(), false);
    for (std::size_t k = 1; k < known.size(); ++k)
        later[known[k]] = allFiles[known[k]].identity == allFiles[known[k - 1]].identity;
    if (examine) {
        std::vector<std::size_t> firsts;
        for (auto start = known.begin(), end = start; start != known.end(); start = end) {
            const std::uint64_t index = allFiles[*start].identity.index;
            end = std::find_if(start, known.end(), [&](std::size_t i) { return allFiles[i].identity.index != index; });
            firsts.clear();
            std::copy_if(start, end, std::back_inserter(firsts), [&](std::size_t i) { return !later[i]; });
            if (index != 0 && firsts.size() >= 2) {
                std::sort(firsts.begin(), firsts.end());
                MarkViewsOfOneFile(allFiles, firsts, examine, later);
            }
        }
    }
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
    for (auto start = records.begin(), end = start; start != records.end(); start = end) {
        const std::uint64_t size = allFiles[*start].size;
        end = std::find_if(start, records.end(), [&](std::size_t i) { return allFiles[i].size != size; });
        if (end - start >= 2) {
            Bucket& bucket = buckets.emplace_back(Bucket{size, 0, {}});
            bucket.files.reserve(static_cast<std::size_t>(end - start));
            for (auto record = start; record != end; ++record)
                bucket.files.push_back(Candidate{static_cast<FileIndex>(*record)});
        }
    }
    return buckets;
}

}  // namespace zwf::detect
