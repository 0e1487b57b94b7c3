// Buckets of more same-size files than are read side by side at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <utility>
#include <map>
#include <random>
#include <string>

#include "detect/BlockHash.h"
#include "detect/Parallel.h"
#include "detect/SearchContext.h"
#include "tests/detect/SearchFixture.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/PairwiseOracle.h"
#include "tests/support/Pattern.h"

namespace zwf {
namespace {

using test::FaultyFileSystem;
using test::Pattern;
using test::Search;
using test::TempTree;
using ::testing::ElementsAre;
using ::testing::SizeIs;

constexpr std::size_t kMany = detect::kMaxOpenFiles * 2 + 7;

std::string Name(std::size_t i) {
    std::string digits = std::to_string(i);
    return "m/" + std::string(6 - digits.size(), '0') + digits;
}

// Read by several threads on every system, the search finds what a plain pairwise pass finds.
TEST(LargeBucket, MixedContentsMatchThePairwisePass) {
    TempTree tree;
    for (unsigned size : {3000u, 70000u}) {
        for (std::size_t i = 0; i < kMany; ++i) {
            std::string bytes = Pattern(size, static_cast<unsigned>(i % 5));
            if (i % 7 == 3)
                bytes[size - 1] ^= 1;  // a near-copy: agrees up to its last byte
            if (i % 11 == 4)
                bytes[0] ^= 1;
            tree.Write(Name(i + size), bytes);
        }
    }
    Search search(tree);
    ASSERT_TRUE(search.fs->ReadsInParallel());
    search.Add("m");
    std::filesystem::remove(tree.FsPath(Name(3000 + 10)));
    tree.Write(Name(70000 + 20), Pattern(70001, 0));
    const auto expected = test::PairwiseGroups(search.catalogue, *search.fs);
    search.Run();
    EXPECT_EQ(test::GroupsOf(search.catalogue), expected);
    EXPECT_THAT(expected, SizeIs(::testing::Gt(10u)));
}

// Small files are matched as they are read, larger ones read side by side with the first in
// batches: either way each byte of a bucket of copies is read about once, not once to
// fingerprint it and again to compare it. Each reading thread may read the file it matches the
// others with once more.
TEST(LargeBucket, ManyCopiesFormOneGroupAndAreReadAboutOnce) {
    for (std::size_t size : {20000u, 100000u}) {
        const std::string bytes = Pattern(size, 1);
        std::string lastDiffers = bytes;
        lastDiffers.back() ^= 1;
        TempTree tree;
        for (std::size_t i = 0; i < kMany; ++i)
            tree.Write(Name(i), bytes);
        tree.Write("m/x1", lastDiffers);
        tree.Write("m/x2", lastDiffers);
        Search search(tree);
        auto groups = search.Add("m").Run();
        ASSERT_THAT(groups, SizeIs(2));
        EXPECT_THAT(groups[0], SizeIs(kMany));
        EXPECT_THAT(groups[1], ElementsAre("m/x1", "m/x2"));
        const std::uint64_t candidateBytes = (kMany + 2) * size;
        EXPECT_LE(search.io.bytesRead, candidateBytes + detect::kReadingThreads * size) << size;
    }
}

// The same small files in folder after folder, as backups hold them: the copies of one file are
// far apart, and its bytes are long gone from the thread that read it. Each file is read again
// once for its copies, not once for every copy.
TEST(LargeBucket, CopiesOfManyFilesInFolderAfterFolderAreReadAboutOnce) {
    constexpr std::size_t kFolders = 8, kFiles = 10, kSize = 5000;
    TempTree tree;
    for (std::size_t folder = 0; folder < kFolders; ++folder)
        for (std::size_t file = 0; file < kFiles; ++file)
            tree.Write("b/" + std::to_string(folder) + "/" + std::to_string(file), Pattern(kSize, static_cast<unsigned>(file)));
    Search search(tree);
    const auto groups = search.Add("b").Run();
    ASSERT_THAT(groups, SizeIs(kFiles));
    EXPECT_THAT(groups[0], SizeIs(kFolders));
    EXPECT_LE(search.io.bytesRead, (kFolders * kFiles + kFiles + detect::kReadingThreads) * kSize);
}

// The file every other is compared with fails once it has been looked at a few times: the
// search goes on without it, and the others still form their group. Larger files are compared
// with it side by side in batches.
void ExpectOthersGroupedWhenFirstFails(std::size_t size, std::size_t healthyOpens) {
    const std::string bytes = Pattern(size, 2);
    TempTree tree;
    for (std::size_t i = 0; i < kMany; ++i)
        tree.Write(Name(i), bytes);
    auto faulty = std::make_unique<FaultyFileSystem>();
    faulty->FailReadsAfter(tree.Path(Name(0)), 1000, healthyOpens);
    Search search(tree, std::move(faulty));
    auto groups = search.Add("m").Run();
    ASSERT_THAT(groups, SizeIs(1));
    EXPECT_THAT(groups[0], SizeIs(kMany - 1));
    EXPECT_EQ(groups[0].front(), Name(1));
}

TEST(LargeBucket, LargeFirstFileFailingInALaterBatchLeavesTheOthersGrouped) {
    // Healthy for its prefix and the first batch read side by side with it.
    ExpectOthersGroupedWhenFirstFails(100000, 2);
}

#ifndef _WIN32  // Windows lets nobody write a file the search holds open
// The file the others are read with is rewritten while its last batch reads it. Two files that
// part from it at the same byte with the same value, one in each batch, only seem equal up to
// there: they differ before it, and must not be grouped for agreeing after it.
TEST(LargeBucket, FirstFileRewrittenDuringItsLastBatchMisleadsNoOne) {
    constexpr std::size_t kSize = 300000, kAt = 200000;
    const std::string first = Pattern(kSize, 1);
    std::string rewritten = first, early = first, late = first;
    rewritten[10000] ^= 1;
    early[kAt] ^= 1;
    late[10000] ^= 1;
    late[kAt] ^= 1;
    TempTree tree;
    tree.Write(Name(0), first);
    for (std::size_t i = 0; i < 68; ++i) {
        std::string other = first;
        other[100000 + i] ^= 1;
        tree.Write(Name(i + 1), i == 5 ? early : i == 66 ? late : other);
    }
    auto faulty = std::make_unique<FaultyFileSystem>();
    faulty->AfterOpenRead([&, opens = 0](const std::string& path) mutable {
        if (path == tree.Path(Name(0)) && ++opens == 3)  // its prefix, its first batch, its last
            tree.Write(Name(0), rewritten);
    });
    Search search(tree, std::move(faulty));
    EXPECT_THAT(search.Add("m").Run(), ::testing::IsEmpty());
}
#endif

// A copy the search cannot read as catalogued is named with its reason; one it can read, even
// its slow way, stays in its group. Either way no file of the bucket goes unaccounted for.
TEST(LargeBucket, EveryCopyIsGroupedOrNamed) {
    constexpr std::size_t kFiles = detect::kMaxOpenFiles + 3;
    struct Case {
        const char* what;
        std::size_t size;  // large ones are fingerprinted at their end too
        std::function<void(FaultyFileSystem&, const TempTree&)> arm;
        bool named;  // copy 5 is named rather than grouped, with the reason
        std::error_code reason = std::make_error_code(std::errc::io_error);
    };
    const auto path = [](const TempTree& tree, std::size_t i) { return tree.Path(Name(i)); };
    std::vector<Case> cases = {
        {"a large copy that cannot seek", 1024 * 1024 + 4096,
         [&](FaultyFileSystem& fs, const TempTree& t) { fs.RefuseSeek(path(t, 5)); }, false},
        {"a large copy failing part-way", 1024 * 1024 + 4096,
         [&](FaultyFileSystem& fs, const TempTree& t) { fs.FailReadsAfter(path(t, 5), 6000); }, true},
        {"a large copy failing at its first look", 1024 * 1024 + 4096,
         [&](FaultyFileSystem& fs, const TempTree& t) { fs.FailReadsAfter(path(t, 5), 100); }, true},
        {"a small copy failing part-way", 3000,
         [&](FaultyFileSystem& fs, const TempTree& t) { fs.FailReadsAfter(path(t, 5), 100); }, true},
    };
#ifndef _WIN32  // Windows lets nobody write a file while the search reads it
    cases.push_back(
        {"a small copy rewritten with another content of its size once it is open", 3000,
         [&](FaultyFileSystem& fs, const TempTree& t) {
             fs.AfterOpenRead([&t, done = false](const std::string& opened) mutable {
                 if (opened != t.Path(Name(5)) || std::exchange(done, true))
                     return;
                 // Past a coarse clock's tick, or the rewrite would leave the file's times alone.
                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
                 t.Write(Name(5), Pattern(3000, 9));
             });
         },
         true, make_error_code(FsError::Changed)});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree tree;
        for (std::size_t i = 0; i < kFiles; ++i)
            tree.Write(Name(i), Pattern(c.size, 1));
        auto faulty = std::make_unique<FaultyFileSystem>();
        c.arm(*faulty, tree);
        Search search(tree, std::move(faulty));
        auto groups = search.Add("m").Run();
        ASSERT_THAT(groups, SizeIs(1));
        EXPECT_THAT(groups[0], SizeIs(c.named ? kFiles - 1 : kFiles));
        ASSERT_THAT(search.report.unread, SizeIs(c.named ? 1 : 0));
        if (c.named) {
            EXPECT_EQ(search.Relative(search.catalogue.FullPath(search.catalogue.allFiles[search.report.unread[0].file])),
                      Name(5));
            EXPECT_EQ(search.report.unread[0].error, c.reason);
        }
    }
}

// Whatever the fingerprint, the groups stay right and the work grows as n log n, not as n
// squared: with every fingerprint forced to one value, buckets of small and of larger files,
// mostly near-copies of one file that differ from it at assorted places, with copies of a few
// contents among them, still come out as their contents say.
TEST(LargeBucket, ConstantFingerprintLeavesGroupsRightAndWorkNearLinear) {
    detect::ConstantFingerprintForTest constant;
    std::mt19937 random(20261208);
    TempTree tree;
    std::map<std::string, std::vector<std::string>> byContent;
    std::uint64_t candidateBytes = 0;
    std::size_t count = 0;
    for (const auto& [size, files] : {std::pair<std::size_t, std::size_t>{64, 600}, {70000, 300}}) {
        std::vector<std::string> originals;
        for (unsigned base = 0; base < 6; ++base)
            originals.push_back(Pattern(size, base + static_cast<unsigned>(random() % 1000)));
        for (std::size_t i = 0; i < files; ++i) {
            std::string bytes = originals[random() % originals.size()];
            if (random() % 4 != 0) {
                bytes = originals[0];
                bytes[random() % size] ^= static_cast<char>(1 + random() % 255);
            }
            const std::string name = Name(count++);
            tree.Write(name, bytes);
            byContent[bytes].push_back(name);
            candidateBytes += size;
        }
    }
    std::vector<std::vector<std::string>> expected;
    for (auto& [bytes, names] : byContent)
        if (names.size() >= 2)
            expected.push_back(names);
    std::sort(expected.begin(), expected.end());

    Search search(tree);
    EXPECT_EQ(search.Add("m").Run(), expected);
    const double logN = std::log2(static_cast<double>(count));
    EXPECT_LE(static_cast<double>(search.io.filesOpened), 4 * logN * static_cast<double>(count));
    EXPECT_LE(static_cast<double>(search.io.bytesRead), 2 * logN * static_cast<double>(candidateBytes));
}

}  // namespace
}  // namespace zwf
