// Hard links and FIFOs, which the Windows build of these tests does not make.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "tests/detect/SearchFixture.h"

namespace zwf {
namespace {

using test::Search;
using test::TempTree;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(FindDuplicatesPosix, HardLinkIsNotGroupedWithItself) {
    TempTree tree{{"h/a", "content"}};
    std::filesystem::create_hard_link(tree.FsPath("h/a"), tree.FsPath("h/b"));
    EXPECT_THAT(Search(tree).Add("h").Run(), IsEmpty());
}

TEST(FindDuplicatesPosix, HardLinkedFileStillGroupsWithARealCopy) {
    TempTree tree{{"h/a", "content"}, {"h/c", "content"}};
    std::filesystem::create_hard_link(tree.FsPath("h/a"), tree.FsPath("h/b"));
    EXPECT_THAT(Search(tree).Add("h").Run(), ElementsAre(ElementsAre("h/a", "h/c")));
}

// A FIFO put where a catalogued file was must neither hang the search nor join a group.
TEST(FindDuplicatesPosix, FifoInPlaceOfACataloguedFileJoinsNoGroup) {
    TempTree tree{{"q/a", "data"}, {"q/b", "data"}, {"q/c", "data"}};
    Search search(tree);
    search.Add("q");
    std::filesystem::remove(tree.FsPath("q/b"));
    ASSERT_EQ(::mkfifo(tree.Path("q/b").c_str(), 0600), 0);
    EXPECT_THAT(search.Run(), ElementsAre(ElementsAre("q/a", "q/c")));
}

// Two sparse files of 4 GiB that differ in their last byte: a file system that can seek lets the
// search see the difference without reading 8 GiB of zeros (a Windows build under Wine may not).
TEST(FindDuplicatesPosix, LargeFilesDifferingOnlyAtTheEndStayApart) {
    constexpr std::uint64_t kLarge = (std::uint64_t{1} << 32) + 10;
    TempTree tree;
    try {
        tree.WriteSparse("s/a", kLarge, "0123456789");
        tree.WriteSparse("s/b", kLarge, "0123456780");
    } catch (const std::exception& refused) {
        GTEST_SKIP() << "no sparse file of 4 GiB here: " << refused.what();
    }
    Search search(tree);
    EXPECT_THAT(search.Add("s").Run(), IsEmpty());
    EXPECT_LT(search.io.bytesRead, 1u << 20);
}

}  // namespace
}  // namespace zwf
