#include <filesystem>

#include "tests/app/SessionFixture.h"

namespace zwf::test {
namespace {

TEST_F(SessionTest, SizesAbove2GiBAreShownInFull) {
    TempTree tree;
    tree.WriteSparse("gross.bin", 3221225472ULL, "x");
    tree.WriteSparse("riesig.bin", 5000000000ULL, "y");
    AddFolder(tree);
    RunSession();
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), ElementsAre("gross.bin (3221225472)", "riesig.bin (5000000000)"));
}

TEST_F(SessionTest, CopyReplacedByAnotherFileOfTheSameSizeIsKept) {
    TempTree tree{{"a", "same"}, {"b", "same"}, {"c", "same"}};
    AddFolder(tree).Click(ctl::kSearch).Select(ctl::kGroupList, 0);
    // Same name, same size, same bytes even, but another file than the one the search compared.
    window.Check([&](HeadlessWindow&) {
        tree.Write("neu", "same");
        std::filesystem::rename(tree.FsPath("neu"), tree.FsPath("a"));
    });
    window.Click(ctl::kDeleteMarked);
    RunSession();
    EXPECT_TRUE(tree.Exists("a"));
    EXPECT_TRUE(fileSystem.DeleteCalls().empty());
    EXPECT_EQ(window.LineTotal(ctl::kMemberList), 3);
}

TEST_F(SessionTest, OtherNameOfTheMarkedFileIsNoCopy) {
    TempTree tree{{"a", "same"}, {"b", "same"}};
    AddFolder(tree).Click(ctl::kSearch).Select(ctl::kGroupList, 0);
    // b is now a second name of a: deleting a would leave the content only by chance of that link.
    window.Check([&](HeadlessWindow&) {
        std::filesystem::remove(tree.FsPath("b"));
        std::filesystem::create_hard_link(tree.FsPath("a"), tree.FsPath("b"));
    });
    window.Click(ctl::kDeleteMarked);
    RunSession();
    EXPECT_TRUE(tree.Exists("a"));
    EXPECT_TRUE(fileSystem.DeleteCalls().empty());
}

TEST_F(SessionTest, SearchKeepsTheWindowAlive) {
    TempTree tree{{"a", std::string(100000, 'q')}, {"b", std::string(100000, 'q')}};
    int before = 0;
    AddFolder(tree).Check([&](HeadlessWindow& w) { before = w.KeepAliveCount(); }).Click(ctl::kSearch);
    RunSession();
    EXPECT_GT(window.KeepAliveCount(), before);
    EXPECT_EQ(window.ProgressPositions().back(), 100);
}

}  // namespace
}  // namespace zwf::test
