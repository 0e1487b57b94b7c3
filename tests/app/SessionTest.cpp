#include <algorithm>
#include <new>
#include <utility>

#include "tests/app/SessionFixture.h"

namespace zwf::test {
namespace {

const std::vector<int> kAtStart{ctl::kAddFolder, ctl::kAllFilesList, ctl::kGroupList};
const std::vector<int> kWithFiles{ctl::kAddFolder, ctl::kAllFilesList, ctl::kReset, ctl::kSearch, ctl::kGroupList};
const std::vector<int> kWithGroups{ctl::kAddFolder, ctl::kAllFilesList, ctl::kReset,     ctl::kSearch,
                                   ctl::kGroupList, ctl::kMemberList};
const std::vector<int> kAll{ctl::kAddFolder, ctl::kAllFilesList, ctl::kReset,         ctl::kSearch,
                            ctl::kGroupList, ctl::kMemberList,   ctl::kDeleteMarked, ctl::kDeleteGroup};

TEST_F(SessionTest, StartsWithOnlyAddingAFolderAndEndsWithCreditsAfterTheWindow) {
    window.Check([](HeadlessWindow& w) {
        EXPECT_EQ(Enabled(w), kAtStart);
        EXPECT_EQ(w.Text(ctl::kAllFilesLabel), "Alle Dateien");
        EXPECT_FALSE(w.IsClosed());
    });
    window.Click(ctl::kSearch).Click(ctl::kReset).RequestClose().Click(ctl::kAddFolder);
    RunSession();
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(window.Ignored().size(), 2u);  // the disabled buttons took no clicks
    EXPECT_TRUE(window.FolderRequests().empty());  // nothing after the close request was read
    EXPECT_TRUE(window.IsClosed());
    ASSERT_EQ(window.Messages().size(), 1u);
    EXPECT_EQ(window.Messages()[0].caption, "Credits");
    EXPECT_EQ(window.Messages()[0].text,
              ".-´¯`- Zwillingsfeger -´¯`-.\n\n`-._.-     by Quarzfuchs    -._.-´");
    EXPECT_FALSE(window.Messages()[0].windowOpen);
}

TEST_F(SessionTest, AddingAFolderListsItsFilesDepthFirst) {
    TempTree tree{{"a/x.txt", "1"}, {"a/sub/y.txt", "22"}, {"a/sub/deeper/z", ""}};
    AddFolder(tree, "a").Check([](HeadlessWindow& w) { EXPECT_EQ(Enabled(w), kWithFiles); });
    RunSession();
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), ElementsAre("z (0)", "y.txt (2)", "x.txt (1)"));
    EXPECT_EQ(window.Text(ctl::kAllFilesLabel), "Alle Dateien (3)");
    EXPECT_EQ(window.Selection(ctl::kAllFilesList), -1);
    ASSERT_EQ(window.FolderRequests().size(), 1u);
    EXPECT_EQ(window.FolderRequests()[0].title, "Pfad hinzufügen...");
    EXPECT_EQ(window.FolderRequests()[0].initialFolder, "");
    EXPECT_EQ(window.WorkCount(), 1);
}

TEST_F(SessionTest, RepeatedPicksScanOnlyWhenTheFolderDiffersFromTheLastOne) {
    TempTree tree{{"a/eins", "1"}, {"b/zwei", "2"}};
    const std::string a = tree.Path("a");
    AddFolder(tree, "a");
    AddFolder(tree, "a");  // the same again: nothing new
    window.PickFolder(ctl::kAddFolder, a + native->Separator());  // also the same, written with its separator
    window.PickFolder(ctl::kAddFolder, "");                        // cancelled
    AddFolder(tree, "b");
    AddFolder(tree, "a");  // A after B: scanned a second time
    RunSession();
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), ElementsAre("eins (1)", "zwei (1)", "eins (1)"));
    EXPECT_EQ(window.Text(ctl::kAllFilesLabel), "Alle Dateien (3)");
    std::vector<std::string> initial;
    for (const FolderRequest& request : window.FolderRequests())
        initial.push_back(request.initialFolder);
    EXPECT_THAT(initial, ElementsAre("", a, a, a, a, tree.Path("b")));
}

TEST_F(SessionTest, ResetEmptiesEverythingAndForgetsTheLastFolder) {
    TempTree tree{{"a/x", "same"}, {"a/y", "same"}};
    AddFolder(tree, "a").Click(ctl::kSearch).Select(ctl::kGroupList, 0).Click(ctl::kReset);
    window.Check([](HeadlessWindow& w) {
        for (int id : {ctl::kAllFilesList, ctl::kGroupList, ctl::kMemberList})
            EXPECT_THAT(w.Lines(id), IsEmpty());
        EXPECT_EQ(w.Text(ctl::kAllFilesLabel), "Alle Dateien");
        EXPECT_EQ(w.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt");
        EXPECT_EQ(Enabled(w), kAtStart);
    });
    AddFolder(tree, "a");  // the folder added before the reset is scanned again
    RunSession();
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), ElementsAre("x (4)", "y (4)"));
    EXPECT_THAT(window.Lines(ctl::kGroupList), IsEmpty());
    ASSERT_EQ(window.FolderRequests().size(), 2u);
    EXPECT_EQ(window.FolderRequests()[1].initialFolder, "");
}

TEST_F(SessionTest, SearchShowsGroupsWithoutSelectionBehindOneProgressBar) {
    TempTree tree{{"a/a.txt", "same"}, {"b/a.txt", "same"}, {"b/kopie.txt", "same"},
                  {"b/other", "diff"}, {"b/solo", "12345"}, {"c/leer1", ""}, {"c/leer2", ""}};
    AddFolder(tree, "a");
    AddFolder(tree, "b");
    AddFolder(tree, "c");
    window.Click(ctl::kSearch).Check([](HeadlessWindow& w) { EXPECT_EQ(Enabled(w), kWithGroups); });
    RunSession();
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("3: a.txt, a.txt, kopie.txt"));
    EXPECT_EQ(window.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (1)");
    EXPECT_EQ(window.Selection(ctl::kGroupList), -1);
    EXPECT_THAT(window.Lines(ctl::kMemberList), IsEmpty());
    // One bar for the whole search, in the search button's place.
    EXPECT_THAT(window.ProgressBarShownLog(), ElementsAre(true, false));
    EXPECT_TRUE(window.IsVisible(ctl::kSearch));
    EXPECT_EQ(window.ProgressSetWhileHidden(), 0);
    const std::vector<int>& positions = window.ProgressPositions();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.front(), 0);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_LE(positions.back(), 100);
    EXPECT_EQ(window.WorkCount(), 4);
}

TEST_F(SessionTest, SearchThatFindsNothingEmptiesTheGroupsView) {
    TempTree tree{{"a/x", "same"}, {"a/y", "same"}};
    AddFolder(tree, "a").Click(ctl::kSearch).Select(ctl::kGroupList, 0);
    window.Check([&](HeadlessWindow& w) {
        EXPECT_EQ(Enabled(w), kAll);
        tree.Write("a/y", "anders");
    });
    window.Click(ctl::kSearch).Check([](HeadlessWindow& w) {
        EXPECT_THAT(w.Lines(ctl::kGroupList), IsEmpty());
        EXPECT_EQ(w.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (0)");
        EXPECT_EQ(Enabled(w), kWithFiles);
    });
    // Without groups a click in the groups view only empties the members view.
    window.Select(ctl::kGroupList, 0);
    RunSession();
    EXPECT_EQ(window.Ignored().size(), 1u);  // the groups view has no line 0 left
}

TEST_F(SessionTest, SelectingAGroupShowsItsCopiesWithTheFirstMarked) {
    TempTree tree{{"a/x", "11"}, {"a/y", "11"}, {"b/p", "333"}, {"b/q", "333"}, {"b/r", "333"}};
    AddFolder(tree).Click(ctl::kSearch).Select(ctl::kGroupList, 1);
    window.Check([&](HeadlessWindow& w) {
        EXPECT_THAT(w.Lines(ctl::kMemberList), ElementsAre(tree.Path("b/p"), tree.Path("b/q"), tree.Path("b/r")));
        EXPECT_EQ(w.Selection(ctl::kMemberList), 0);
        EXPECT_EQ(Enabled(w), kAll);
    });
    // Clicks in the other list boxes change nothing but their own selection.
    window.Select(ctl::kMemberList, 2).Select(ctl::kAllFilesList, 3);
    window.Check([&](HeadlessWindow& w) {
        EXPECT_EQ(w.Selection(ctl::kMemberList), 2);
        EXPECT_EQ(w.Selection(ctl::kAllFilesList), 3);
        EXPECT_EQ(w.LineTotal(ctl::kMemberList), 3);
    });
    window.DoubleClick(ctl::kGroupList, 0);
    RunSession();
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("2: x, y", "3: p, q, r"));
    EXPECT_THAT(window.Lines(ctl::kMemberList), ElementsAre(tree.Path("a/x"), tree.Path("a/y")));
    EXPECT_EQ(window.Selection(ctl::kMemberList), 0);
    EXPECT_TRUE(tree.Exists("b/r"));
}

// Input during the scan is dropped; a close request made meanwhile closes the program once the
// scan is done, with the whole folder listed.
TEST_F(SessionTest, ScanShowsTheCountSoFarDropsInputAndClosesAfterwardsWhenAsked) {
    TempTree tree;
    for (int i = 0; i < 1100; ++i)
        tree.Write("viele/f" + std::to_string(10000 + i), "x");
    AddFolder(tree, "viele")
        .DuringWork(UserAction::Clicked(ctl::kAddFolder))
        .DuringWork(UserAction::CloseRequested());
    window.Click(ctl::kSearch);  // never reached: the program closed before
    RunSession();
    EXPECT_TRUE(window.IsClosed());
    EXPECT_EQ(window.WorkCount(), 1);
    EXPECT_EQ(window.LineTotal(ctl::kAllFilesList), 1100);
    EXPECT_THAT(window.TextHistory(ctl::kAllFilesLabel), ElementsAre("Alle Dateien (1024)", "Alle Dateien (1100)",
                                                                    "Alle Dateien (1100)"));
    EXPECT_GE(window.KeepAliveCount(), 2);
    EXPECT_EQ(window.Discarded().size(), 1u);
    EXPECT_EQ(window.FolderRequests().size(), 1u);
}

TEST_F(SessionTest, ScanOfFoldersWithFewFilesShowsItsProgressFolderByFolder) {
    TempTree tree{{"a/1/x", "1"}, {"a/2/y", "1"}, {"a/3/z", "1"}};
    AddFolder(tree, "a");
    RunSession();
    EXPECT_THAT(window.TextHistory(ctl::kAllFilesLabel),
                ElementsAre("Alle Dateien (0)", "Alle Dateien (1)", "Alle Dateien (2)", "Alle Dateien (3)",
                            "Alle Dateien (3)"));
}

// Running out of memory ends an add or a search as if it had not begun: catalogue, lists and
// counters as before, a message, and the window goes on; the folder is scanned when added again.
TEST_F(SessionTest, AnAddOrASearchThatRunsOutOfMemoryLeavesEverythingAsItWasAndSaysSo) {
    TempTree tree{{"a/x", "same"}, {"a/y", "same"}, {"b/a.txt", "anders"}, {"b/c/z", "same"}};
    bool scanFails = true, searchFails = false, readFails = false;
    fileSystem.BeforeOpenSubfolder([&](const std::string& path) {
        if (path == tree.Path("b/c") && std::exchange(scanFails, false))
            throw std::bad_alloc();  // b/a.txt is found by then
    });
    fileSystem.AfterOpenRead([&](const std::string&) {
        if (std::exchange(readFails, false))
            throw std::bad_alloc();  // in a reading thread of the search
    });
    window.WhenProgressMoves([&](int percent) {
        if (percent == 100 && std::exchange(searchFails, false))
            throw std::bad_alloc();  // every file compared, no group made yet
    });
    const auto unchanged = [](HeadlessWindow& w) {
        EXPECT_THAT(w.Lines(ctl::kAllFilesList), ElementsAre("x (4)", "y (4)"));
        EXPECT_EQ(w.Text(ctl::kAllFilesLabel), "Alle Dateien (2)");
        EXPECT_THAT(w.Lines(ctl::kGroupList), ElementsAre("2: x, y"));
        EXPECT_EQ(w.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (1)");
    };
    AddFolder(tree, "a").Click(ctl::kSearch);
    AddFolder(tree, "b").Check(unchanged).Check([&](HeadlessWindow&) { searchFails = true; });
    window.Click(ctl::kSearch).Check(unchanged).Check([&](HeadlessWindow&) { readFails = true; });
    window.Click(ctl::kSearch).Check(unchanged).Select(ctl::kGroupList, 0).Check([&](HeadlessWindow& w) {
        EXPECT_THAT(w.Lines(ctl::kMemberList), ElementsAre(tree.Path("a/x"), tree.Path("a/y")));
    });
    AddFolder(tree, "b").Click(ctl::kSearch);
    RunSession();
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), ElementsAre("x (4)", "y (4)", "a.txt (6)", "z (4)"));
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("3: x, y, z"));
    ASSERT_EQ(window.Messages().size(), 4u);
    EXPECT_EQ(window.Messages()[0].text, "Nicht genug Speicher: Der Ordner wurde nicht hinzugef\xC3\xBCgt.");
    for (std::size_t search : {1u, 2u}) {
        EXPECT_EQ(window.Messages()[search].text, "Nicht genug Speicher: Die Suche wurde abgebrochen.");
        EXPECT_TRUE(window.Messages()[search].windowOpen);
    }
    EXPECT_EQ(window.Messages()[3].caption, "Credits");
}

TEST_F(SessionTest, ClickDuringASearchIsNotReplayedAfterIt) {
    TempTree tree{{"x", "same"}, {"y", "same"}};
    AddFolder(tree).Click(ctl::kSearch).DuringWork(UserAction::Clicked(ctl::kReset));
    RunSession();
    EXPECT_EQ(window.Discarded().size(), 1u);
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("2: x, y"));
    EXPECT_EQ(window.LineTotal(ctl::kAllFilesList), 2);
}

}  // namespace
}  // namespace zwf::test
