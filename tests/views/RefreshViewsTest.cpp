#include "views/RefreshViews.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/MainViews.h"
#include "tests/views/ViewFixture.h"

namespace zwf {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::ViewFixture;

class RefreshViewsTest : public ViewFixture, public ::testing::Test {
protected:
    // Puts lines and texts into every view that a refresh may or may not touch.
    void FillEveryView() {
        for (int id : {ctl::kAllFilesList, ctl::kGroupList, ctl::kMemberList}) {
            window.AppendLine(id, "alt 1");
            window.AppendLine(id, "alt 2");
            window.SelectLine(id, 1);
        }
        window.SetText(ctl::kAllFilesLabel, "L1");
        window.SetText(ctl::kGroupsLabel, "L3");
    }
    void ExpectUntouched(int list, int label) {
        EXPECT_THAT(window.Lines(list), ElementsAre("alt 1", "alt 2"));
        EXPECT_EQ(window.SelectedLine(list), 1);
        if (label >= 0) {
            EXPECT_EQ(window.Text(label), label == ctl::kAllFilesLabel ? "L1" : "L3");
        }
    }
};

TEST_F(RefreshViewsTest, ResetEmptiesAllViewsWhileTheListsStillHoldRecords) {
    AddGroup("/a", {"x", "y"});
    FillEveryView();
    RefreshViews(window, catalogue, view::kReset);
    for (int id : {ctl::kAllFilesList, ctl::kGroupList, ctl::kMemberList}) {
        EXPECT_THAT(window.Lines(id), IsEmpty());
        EXPECT_EQ(window.SelectedLine(id), -1);
    }
    EXPECT_EQ(window.Text(ctl::kAllFilesLabel), "Alle Dateien");
    EXPECT_EQ(window.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt");
    EXPECT_EQ(window.Text(ctl::kMembersLabel), "Doppelte Dateien:");
}

TEST_F(RefreshViewsTest, AllFilesInListOrderAndOnlyThatView) {
    AddFile("/a", "zeta.txt", 3);
    AddFile("/b", "alpha.txt", 3221225472ULL);
    FillEveryView();
    RefreshViews(window, catalogue, view::kAllFiles);
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), ElementsAre("zeta.txt (3)", "alpha.txt (3221225472)"));
    EXPECT_EQ(window.SelectedLine(ctl::kAllFilesList), -1);
    EXPECT_EQ(window.Text(ctl::kAllFilesLabel), "Alle Dateien (2)");
    ExpectUntouched(ctl::kGroupList, ctl::kGroupsLabel);
    ExpectUntouched(ctl::kMemberList, -1);
}

TEST_F(RefreshViewsTest, EmptyListsStillGiveCountZero) {
    FillEveryView();
    RefreshViews(window, catalogue, view::kAllFiles);
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), IsEmpty());
    EXPECT_EQ(window.Text(ctl::kAllFilesLabel), "Alle Dateien (0)");
    // A search that found nothing must not leave the previous search's groups on screen.
    RefreshViews(window, catalogue, view::kGroups);
    EXPECT_THAT(window.Lines(ctl::kGroupList), IsEmpty());
    EXPECT_EQ(window.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (0)");
    ExpectUntouched(ctl::kMemberList, -1);
    // Without groups the members view is emptied and the groups list is not consulted.
    window.AppendLine(ctl::kGroupList, "stale");
    window.SelectLine(ctl::kGroupList, 0);
    RefreshViews(window, catalogue, view::kMembers);
    EXPECT_THAT(window.Lines(ctl::kMemberList), IsEmpty());
    EXPECT_EQ(window.SelectedLine(ctl::kMemberList), -1);
}

TEST_F(RefreshViewsTest, GroupsViewLinesCountAndNoSelection) {
    AddGroup("/a", {"a.txt", "a.txt", "a.txt"});
    AddGroup("/b", {"eins", "zwei"});
    FillEveryView();
    RefreshViews(window, catalogue, view::kGroups);
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("3: a.txt, a.txt, a.txt", "2: eins, zwei"));
    EXPECT_EQ(window.SelectedLine(ctl::kGroupList), -1);
    EXPECT_EQ(window.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (2)");
    ExpectUntouched(ctl::kAllFilesList, ctl::kAllFilesLabel);
    ExpectUntouched(ctl::kMemberList, -1);
}

TEST_F(RefreshViewsTest, MembersOfTheSelectedGroupWithFirstLineMarked) {
    AddGroup("/a", {"x", "y"});
    AddGroup("/b/c", {"p", "q", "r"});
    RefreshViews(window, catalogue, view::kGroups);
    FillEveryView();
    window.SelectLine(ctl::kGroupList, 1);
    RefreshViews(window, catalogue, view::kMembers);
    EXPECT_THAT(window.Lines(ctl::kMemberList), ElementsAre("/b/c/p", "/b/c/q", "/b/c/r"));
    EXPECT_EQ(window.SelectedLine(ctl::kMemberList), 0);
    EXPECT_EQ(window.SelectedLine(ctl::kGroupList), 1);
    EXPECT_EQ(window.Text(ctl::kGroupsLabel), "L3");
    ExpectUntouched(ctl::kAllFilesList, ctl::kAllFilesLabel);
}

TEST_F(RefreshViewsTest, MembersViewWithoutAGroupOnTheSelectedLineStaysEmpty) {
    AddGroup("/a", {"x", "y"});
    FillEveryView();
    // Line 1 of the stale groups view names no group; no selection names none either.
    RefreshViews(window, catalogue, view::kMembers);
    EXPECT_THAT(window.Lines(ctl::kMemberList), IsEmpty());
    window.SelectLine(ctl::kGroupList, -1);
    window.AppendLine(ctl::kMemberList, "alt");
    RefreshViews(window, catalogue, view::kMembers);
    EXPECT_THAT(window.Lines(ctl::kMemberList), IsEmpty());
    EXPECT_EQ(window.SelectedLine(ctl::kMemberList), -1);
    // Groups and members together: the groups view was just rebuilt without a selection.
    RefreshViews(window, catalogue, view::kGroups | view::kMembers);
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("2: x, y"));
    EXPECT_THAT(window.Lines(ctl::kMemberList), IsEmpty());
}

TEST_F(RefreshViewsTest, BitsCombineAndUnknownBitsAreIgnored) {
    AddGroup("/a", {"x", "y"});
    FillEveryView();
    RefreshViews(window, catalogue, 8);
    ExpectUntouched(ctl::kAllFilesList, ctl::kAllFilesLabel);
    ExpectUntouched(ctl::kGroupList, ctl::kGroupsLabel);
    ExpectUntouched(ctl::kMemberList, -1);
    RefreshViews(window, catalogue, view::kAllFiles | view::kGroups | 16);
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), ElementsAre("x (4)", "y (4)"));
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("2: x, y"));
    EXPECT_EQ(window.Text(ctl::kAllFilesLabel), "Alle Dateien (2)");
    EXPECT_EQ(window.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (1)");
    ExpectUntouched(ctl::kMemberList, -1);
}

}  // namespace
}  // namespace zwf
