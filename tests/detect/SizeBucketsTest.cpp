// The stages that need no reading: which records take part, and how they are bucketed.
#include "detect/SizeBuckets.h"

#include <algorithm>
#include <system_error>

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

// One file seen through two devices (a FUSE view, a share, a snapshot) has the same inode number,
// size and times on both: the later record takes no part. Anything less is another file.
TEST(SizeBuckets, AFileSeenThroughAnotherDeviceTakesPartOnce) {
    const FileTimes t{1'700'000'000'123'456'789, 1'700'000'000'223'456'789};
    struct Record {
        std::uint64_t volume, inode, size;
        FileTimes now;  // what examining it gives
        std::error_code error{};
        std::uint64_t nowVolume = 0;  // when not 0: it leads to a file of another identity now
    };
    struct Case {
        const char* what;
        std::vector<Record> records;
        std::vector<std::size_t> taking;
        std::vector<std::size_t> examined;
    };
    const std::error_code gone = std::make_error_code(std::errc::no_such_file_or_directory);
    const Case cases[] = {
        {"a view of the file", {{7, 1, 5, t}, {8, 1, 5, t}}, {0}, {0, 1}},
        {"a view, catalogued first", {{8, 1, 5, t}, {7, 1, 5, t}}, {0}, {0, 1}},
        {"modified a nanosecond apart", {{7, 1, 5, t}, {8, 1, 5, {t.modified + 1, t.changed}}}, {0, 1}, {0, 1}},
        {"changed a nanosecond apart", {{7, 1, 5, t}, {8, 1, 5, {t.modified, t.changed + 1}}}, {0, 1}, {0, 1}},
        {"other sizes, never examined", {{7, 1, 5, t}, {8, 1, 6, t}}, {0, 1}, {}},
        {"other inode numbers, never examined", {{7, 1, 5, t}, {8, 2, 5, t}}, {0, 1}, {}},
        {"a hard link and its view", {{7, 1, 5, t}, {7, 1, 5, t}, {8, 1, 5, t}}, {0}, {0, 2}},
        {"three devices, the third a view of the first", {{7, 1, 5, t}, {8, 1, 5, {t.modified, 1}}, {9, 1, 5, t}},
         {0, 1}, {0, 1, 2}},
        {"the view cannot be examined", {{7, 1, 5, t}, {8, 1, 5, t, gone}}, {0, 1}, {0, 1}},
        {"the view leads to another file now", {{7, 1, 5, t}, {8, 1, 5, t, {}, 9}}, {0, 1}, {0, 1}},
        {"times the system does not tell", {{7, 1, 5, {}}, {8, 1, 5, {}}}, {0, 1}, {0, 1}},
        {"no inode numbers", {{7, 0, 5, t}, {8, 0, 5, t}}, {0, 1}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<FileEntry> files;
        for (const Record& r : c.records)
            files.push_back(FileEntry{0, "f", r.size, FileIdentity{r.volume, r.inode}});
        std::vector<std::size_t> examined;
        const auto examine = [&](std::size_t i) {
            examined.push_back(i);
            const Record& r = c.records.at(i);
            FileStatus status{EntryKind::File, r.size, {r.nowVolume ? r.nowVolume : r.volume, r.inode}, r.now, r.error};
            return status;
        };
        EXPECT_EQ(FirstRecordOfEachFile(files, examine), c.taking);
        std::ranges::sort(examined);
        EXPECT_EQ(examined, c.examined);
    }
    const std::vector<FileEntry> view{FileEntry{0, "f", 5, FileIdentity{7, 1}}, FileEntry{0, "f", 5, FileIdentity{8, 1}}};
    EXPECT_THAT(FirstRecordOfEachFile(view), ElementsAre(0, 1)) << "without examining, other devices are other files";
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
