#include <filesystem>
#include <functional>

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

// A folder of the added tree swapped, once, for a link to a folder outside it.
void SwapForLink(const TempTree& tree, std::string_view folder, std::string_view target) {
    const std::string moved = std::string(folder) + ".alt";
    if (tree.Exists(moved))
        return;
    std::filesystem::rename(tree.FsPath(folder), tree.FsPath(moved));
    std::filesystem::create_directory_symlink(tree.FsPath(target), tree.FsPath(folder));
}

TEST_F(SessionTest, NoSwapEverReachesAFileOutsideTheAddedFolder) {
    struct Case {
        const char* when;
        std::function<void(FaultyFileSystem&, HeadlessWindow&, const TempTree&)> arm;
    };
    const Case cases[] = {
        {"between listing a folder and entering it",
         [](FaultyFileSystem& fs, HeadlessWindow&, const TempTree& t) {
             fs.BeforeOpenSubfolder([&t](const std::string& path) {
                 if (path == t.Path("D/sub"))
                     SwapForLink(t, "D/sub", "O");
             });
         }},
        {"after the search, before the delete",
         [](FaultyFileSystem&, HeadlessWindow& w, const TempTree& t) {
             w.Check([&t](HeadlessWindow&) { SwapForLink(t, "D/sub", "O"); });
         }},
        {"between the last check and the removal",
         [](FaultyFileSystem& fs, HeadlessWindow&, const TempTree& t) {
             fs.BeforeDelete([&t](const std::string&) { SwapForLink(t, "D/sub", "O"); });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when);
        TempTree tree{{"D/sub/x", "same"}, {"D/y", "same"}, {"O/x", "same"}, {"O/z", "same"}};
        FaultyFileSystem fs{*native};
        HeadlessWindow w{kControls};
        // D/sub/x is the marked copy; then the whole group goes.
        w.PickFolder(ctl::kAddFolder, tree.Path("D")).Click(ctl::kSearch).Select(ctl::kGroupList, 0);
        c.arm(fs, w, tree);
        w.Click(ctl::kDeleteMarked).Click(ctl::kDeleteGroup);
        zwf::Run(w, fs, RunOptions{std::chrono::steady_clock::duration::zero()});
        EXPECT_EQ(tree.Read("O/x"), "same");
        EXPECT_EQ(tree.Read("O/z"), "same");
        for (const std::string& line : w.Lines(ctl::kAllFilesList))
            EXPECT_FALSE(line.starts_with("z ")) << line;
    }
}

TEST_F(SessionTest, FileReplacedByAHardLinkToItsPartnerDuringTheSearchIsNoCopy) {
    TempTree tree{{"a", "same"}, {"b", "same"}};
    fileSystem.AfterOpenRead([&](const std::string& path) {
        if (path != tree.Path("a"))
            return;
        std::filesystem::remove(tree.FsPath("b"));
        std::filesystem::create_hard_link(tree.FsPath("a"), tree.FsPath("b"));
    });
    AddFolder(tree).Click(ctl::kSearch);
    RunSession();
    EXPECT_EQ(window.LineTotal(ctl::kGroupList), 0);
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
