#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/detect/SearchFixture.h"
#include "tests/support/Pattern.h"

namespace zwf {
namespace {

using test::Pattern;
using test::Search;
using test::TempTree;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(FindDuplicates, EmptyCatalogueHasNoGroups) {
    TempTree tree;
    tree.MakeFolder("empty");
    EXPECT_THAT(Search(tree).Add("empty").Run(), IsEmpty());
}

TEST(FindDuplicates, IdenticalFilesFormOneGroupInCatalogueOrder) {
    TempTree tree{{"a/1", "same"}, {"a/2", "diff"}, {"b/3", "same"}, {"b/4", "same"}, {"c/5", "other!"}};
    EXPECT_THAT(Search(tree).Add("a").Add("b").Add("c").Run(), ElementsAre(ElementsAre("a/1", "b/3", "b/4")));
}

TEST(FindDuplicates, GroupsFollowTheirEarliestMember) {
    TempTree tree{{"d/1", "xx"}, {"d/2", "yyy"}, {"d/3", "zz"}, {"d/4", "yyy"}, {"d/5", "xx"}, {"d/6", "zz"}};
    EXPECT_THAT(Search(tree).Add("d").Run(),
                ElementsAre(ElementsAre("d/1", "d/5"), ElementsAre("d/2", "d/4"), ElementsAre("d/3", "d/6")));
}

TEST(FindDuplicates, NearCopiesDifferingInFirstOrLastByteStayOut) {
    std::string bytes = Pattern(4097, 1);
    std::string first = bytes, last = bytes;
    first.front() ^= 1;
    last.back() ^= 1;
    TempTree tree{{"f/a", bytes}, {"f/b", first}, {"f/c", bytes}, {"f/d", last}, {"f/e", last}};
    EXPECT_THAT(Search(tree).Add("f").Run(), ElementsAre(ElementsAre("f/a", "f/c"), ElementsAre("f/d", "f/e")));
}

TEST(FindDuplicates, EmptyFilesAreNeverGrouped) {
    TempTree tree{{"e/a", ""}, {"e/b", ""}, {"e/c", ""}};
    Search search(tree);
    EXPECT_THAT(search.Add("e").Run(), IsEmpty());
    EXPECT_EQ(search.io.filesOpened, 0u);
}

TEST(FindDuplicates, FolderAddedTwiceDoesNotGroupAFileWithItself) {
    TempTree tree{{"t/a", "one"}, {"t/b", "two"}, {"t/c", "two"}};
    EXPECT_THAT(Search(tree).Add("t").Add("t").Run(), ElementsAre(ElementsAre("t/b", "t/c")));
}

TEST(FindDuplicates, OverlappingFoldersKeepTheFirstRecordOfEachFile) {
    TempTree tree{{"t/sub/a", "same"}, {"t/b", "same"}, {"t/sub/c", "solo"}};
    // t/sub is catalogued first, then again as part of t.
    EXPECT_THAT(Search(tree).Add("t/sub").Add("t").Run(), ElementsAre(ElementsAre("t/sub/a", "t/b")));
}

TEST(FindDuplicates, FileDeletedAfterTheScanJoinsNoGroup) {
    TempTree tree{{"g/a", "same"}, {"g/b", "same"}, {"g/c", "same"}};
    Search search(tree);
    search.Add("g");
    std::filesystem::remove(tree.FsPath("g/a"));
    EXPECT_THAT(search.Run(), ElementsAre(ElementsAre("g/b", "g/c")));
}

TEST(FindDuplicates, FileThatGrewOrShrankAfterTheScanJoinsNoGroup) {
    const std::string bytes = Pattern(5000, 2);
    TempTree tree{{"g/a", bytes}, {"g/grew", bytes}, {"g/shrank", bytes}, {"g/z", bytes}};
    Search search(tree);
    search.Add("g");
    tree.Write("g/grew", bytes + "tail");
    tree.Write("g/shrank", bytes.substr(0, 4000));
    EXPECT_THAT(search.Run(), ElementsAre(ElementsAre("g/a", "g/z")));
}

TEST(FindDuplicates, RunningTwiceGivesTheSameGroups) {
    TempTree tree{{"r/1", "ab"}, {"r/2", "ab"}, {"r/3", "cd"}, {"r/4", "cd"}};
    Search search(tree);
    search.Add("r");
    auto first = search.Run();
    EXPECT_EQ(search.Run(), first);
    EXPECT_EQ(first.size(), 2u);
}

// A scan catalogues sizes of 2 GiB and more whole, and the search never takes them for 32 bits:
// 3 GiB would read as negative, and 4 GiB and 10 bytes as the 10 bytes of the small file.
TEST(FindDuplicates, SizesAbove2GiBAreNotTruncated) {
    for (const std::uint64_t large : {3'221'225'472ull + 10, 4'294'967'306ull}) {
        SCOPED_TRACE(large);
        TempTree tree;
        try {
            tree.WriteSparse("s/large", large, "0123456789");
        } catch (const std::exception& refused) {
            GTEST_SKIP() << "no sparse file of 4 GiB here: " << refused.what();
        }
        tree.Write("s/small", "0123456789");
        Search search(tree);
        search.Add("s");
        ASSERT_EQ(search.catalogue.allFiles.size(), 2u);
        EXPECT_EQ(search.catalogue.allFiles[0].size, large);
        EXPECT_THAT(search.Run(), IsEmpty());
        EXPECT_EQ(search.io.bytesRead, 0u) << "sizes differ, nothing to read";
    }
}

}  // namespace
}  // namespace zwf
