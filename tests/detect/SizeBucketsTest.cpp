// The stages that need no reading: which records take part, and how they are bucketed.
#include "detect/SizeBuckets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zwf::detect {
namespace {

using ::testing::ElementsAre;

std::vector<std::uint32_t> Files(const Bucket& bucket) {
    std::vector<std::uint32_t> files;
    for (const Candidate& candidate : bucket.files)
        files.push_back(candidate.file);
    return files;
}

FileEntry Entry(std::uint64_t size, std::uint64_t inode) { return FileEntry{0, "f", size, FileIdentity{7, inode}}; }

TEST(SizeBuckets, LaterRecordsOfOneFileAndEmptyFilesTakeNoPart) {
    std::vector<FileEntry> files{Entry(5, 1), Entry(0, 2), Entry(5, 3), Entry(5, 1), Entry(0, 4), Entry(9, 3)};
    // Record 3 repeats file 1; record 5 repeats file 3 (it grew between two scans).
    EXPECT_THAT(FirstRecordOfEachFile(files), ElementsAre(0, 2));
}

TEST(SizeBuckets, RecordsWithoutIdentityAreNeverTakenForOneAnother) {
    std::vector<FileEntry> files{Entry(5, 0), Entry(5, 0)};
    files[0].identity = files[1].identity = FileIdentity{};
    EXPECT_THAT(FirstRecordOfEachFile(files), ElementsAre(0, 1));
}

TEST(SizeBuckets, BucketsKeepCatalogueOrderAndDropSizesHeldOnce) {
    const std::uint64_t large = (std::uint64_t{1} << 32) + 5;
    std::vector<FileEntry> files{Entry(large, 1), Entry(5, 2), Entry(7, 3), Entry(5, 4), Entry(large, 5), Entry(5, 6)};
    auto buckets = BucketBySize(files, {0, 1, 2, 3, 4, 5});
    ASSERT_EQ(buckets.size(), 2u);
    EXPECT_EQ(buckets[0].size, 5u);
    EXPECT_THAT(Files(buckets[0]), ElementsAre(1, 3, 5));
    EXPECT_EQ(buckets[1].size, large) << "a size above 4 GiB is not confused with 5";
    EXPECT_THAT(Files(buckets[1]), ElementsAre(0, 4));
}

}  // namespace
}  // namespace zwf::detect
