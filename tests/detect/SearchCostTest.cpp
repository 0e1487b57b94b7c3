// What a search reads and reports while it runs, and how it copes with misbehaving reads.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "detect/SearchContext.h"
#include "tests/detect/SearchFixture.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Pattern.h"

namespace zwf {
namespace {

using test::FaultyFileSystem;
using test::Pattern;
using test::Search;
using test::TempTree;
using ::testing::ElementsAre;

// Eight candidates of 3 MiB: two pairs of copies, two near-copies differing at the end, two
// differing at the start. Each candidate byte should be read about once, not once per pair.
TEST(SearchCost, EachCandidateByteIsReadAboutOnce) {
    constexpr std::size_t kSize = 3 * 1024 * 1024 + 123;
    const std::string base = Pattern(kSize, 1), other = Pattern(kSize, 2);
    std::string endDiffers = base, startDiffers = base;
    endDiffers[kSize - 1] ^= 1;
    startDiffers[0] ^= 1;
    TempTree tree{{"c/1", base}, {"c/2", other}, {"c/3", endDiffers}, {"c/4", base},
                  {"c/5", other}, {"c/6", startDiffers}, {"c/7", endDiffers + ""}, {"c/8", Pattern(kSize, 3)}};
    Search search(tree);
    EXPECT_THAT(search.Add("c").Run(),
                ElementsAre(ElementsAre("c/1", "c/4"), ElementsAre("c/2", "c/5"), ElementsAre("c/3", "c/7")));
    const std::uint64_t candidateBytes = 8ull * kSize;
    EXPECT_LE(search.io.bytesRead, candidateBytes + candidateBytes / 10);
    EXPECT_GE(search.io.filesOpened, 8u);
    EXPECT_LE(search.io.filesOpened, 3u * 8u);
}

TEST(SearchCost, ProgressRisesAndEndsAtTotal) {
    const std::string big = Pattern(2 * 1024 * 1024, 4);
    TempTree tree{{"p/1", big}, {"p/2", big}, {"p/3", "abc"}, {"p/4", "abc"}, {"p/5", Pattern(2 * 1024 * 1024, 5)}};
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    Search search(tree);
    // Reports come from whichever thread reads, one at a time.
    search.Add("p").Run([&](std::uint64_t done, std::uint64_t total) { calls.emplace_back(done, total); });
    ASSERT_FALSE(calls.empty());
    // The bytes to read are the total. A bar never moves back.
    double shown = 0;
    for (const auto& [done, total] : calls) {
        ASSERT_GT(total, 0u);
        EXPECT_LE(done, total);
        EXPECT_GE(static_cast<double>(done) / static_cast<double>(total), shown) << done << " of " << total;
        shown = static_cast<double>(done) / static_cast<double>(total);
    }
    EXPECT_EQ(calls.back().first, calls.back().second);
    EXPECT_GT(calls.back().second, 4u * 1024 * 1024) << "the total is the candidate bytes";
}

TEST(SearchCost, FilesReadInSmallPiecesAreStillComparedInFull) {
    std::string bytes = Pattern(300 * 1024, 7), differs = bytes;
    differs.back() ^= 1;
    TempTree tree{{"d/a", bytes}, {"d/b", bytes}, {"d/c", differs}};
    auto faulty = std::make_unique<FaultyFileSystem>();
    faulty->DribbleReads(tree.Path("d/a"), 1000);
    faulty->DribbleReads(tree.Path("d/c"), 3);
    Search search(tree, std::move(faulty));
    EXPECT_THAT(search.Add("d").Run(), ElementsAre(ElementsAre("d/a", "d/b")));
}

// More small files of one size than are compared side by side: each is read whole in one go
// right after its open, and its end is taken from where that read stops. A file that grows or
// shrinks in between, or whose reads stop short, must still be seen for what it is.
TEST(SearchCost, ManySmallFilesAreReadExactlyToTheirEnd) {
    constexpr std::size_t kCount = detect::kMaxOpenFiles + 3, kSize = 4096;
    const std::string bytes = Pattern(kSize, 8);
    std::string differsAtEnd = bytes;
    differsAtEnd.back() ^= 1;
    struct Case {
        const char* what;
        std::string grownOrShrunk;  // written over "m/x" right after it is opened; empty: left alone
        bool dribble;                // "m/x" and "m/y" give three bytes per read
    };
    const Case cases[] = {
#ifndef _WIN32  // Windows lets nobody write a file the search holds open
        {"grew by a byte after its open", bytes + "!", false},
        {"lost its last byte after its open", bytes.substr(0, kSize - 1), false},
#endif
        {"read three bytes at a time", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree tree;
        for (std::size_t i = 0; i < kCount; ++i)
            tree.Write("m/f" + std::to_string(100 + i), bytes);
        tree.Write("m/x", bytes);
        tree.Write("m/y", differsAtEnd);
        auto faulty = std::make_unique<FaultyFileSystem>();
        if (c.dribble) {
            faulty->DribbleReads(tree.Path("m/x"), 3);
            faulty->DribbleReads(tree.Path("m/y"), 3);
        } else {
            faulty->AfterOpenRead([&, done = false](const std::string& path) mutable {
                if (path == tree.Path("m/x") && !std::exchange(done, true))
                    tree.Write("m/x", c.grownOrShrunk);
            });
        }
        Search search(tree, std::move(faulty));
        const auto groups = search.Add("m").Run();
        ASSERT_EQ(groups.size(), 1u);
        EXPECT_EQ(groups[0].size(), c.dribble ? kCount + 1 : kCount);
        EXPECT_EQ(std::count(groups[0].begin(), groups[0].end(), "m/x"), c.dribble ? 1 : 0);
        EXPECT_EQ(std::count(groups[0].begin(), groups[0].end(), "m/y"), 0);
    }
}

}  // namespace
}  // namespace zwf
