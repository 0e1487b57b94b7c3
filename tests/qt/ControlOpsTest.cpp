// The control operations behave like those on Win32 list boxes, labels and buttons,
// and none of them raises an event.
#include <QLabel>

#include "tests/qt/QtFixture.h"

namespace zwf::test {
namespace {

TEST_F(QtWindowTest, SelectLineFollowsListBoxRules) {
    Fill(ctl::kGroupList, {"a", "b", "c"});
    EXPECT_EQ(window->LineCount(ctl::kGroupList), 3);
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), -1) << "appending selects nothing";

    window->SelectLine(ctl::kGroupList, 2);
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), 2);
    window->SelectLine(ctl::kGroupList, 3);
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), 2) << "past the end selects nothing new";
    window->SelectLine(ctl::kGroupList, -5);
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), 2);
    window->SelectLine(ctl::kGroupList, -1);
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), -1);
    EXPECT_TRUE(List(ctl::kGroupList)->selectedItems().isEmpty());
}

TEST_F(QtWindowTest, RemoveLineKeepsOtherSelectionsAndDropsTheRemovedOne) {
    Fill(ctl::kMemberList, {"a", "b", "c", "d"});
    window->SelectLine(ctl::kMemberList, 1);

    window->RemoveLine(ctl::kMemberList, -1);
    window->RemoveLine(ctl::kMemberList, 4);
    EXPECT_EQ(window->LineCount(ctl::kMemberList), 4) << "indices outside the lines remove nothing";
    EXPECT_EQ(window->SelectedLine(ctl::kMemberList), 1);

    window->RemoveLine(ctl::kMemberList, 0);
    EXPECT_EQ(window->SelectedLine(ctl::kMemberList), 0) << "the selected line moved up with the others";
    EXPECT_EQ(List(ctl::kMemberList)->item(0)->text(), "b");

    window->RemoveLine(ctl::kMemberList, 2);
    EXPECT_EQ(window->SelectedLine(ctl::kMemberList), 0);

    // Qt would hand the selection to the neighbour; a list box leaves none.
    window->RemoveLine(ctl::kMemberList, 0);
    EXPECT_EQ(window->SelectedLine(ctl::kMemberList), -1);
    EXPECT_EQ(window->LineCount(ctl::kMemberList), 1);
    EXPECT_EQ(List(ctl::kMemberList)->item(0)->text(), "c");
    EXPECT_TRUE(List(ctl::kMemberList)->selectedItems().isEmpty());
}

TEST_F(QtWindowTest, EmptyRemovesAllLinesAndTheSelection) {
    Fill(ctl::kAllFilesList, {"a", "b"});
    window->SelectLine(ctl::kAllFilesList, 1);
    window->Empty(ctl::kAllFilesList);
    EXPECT_EQ(window->LineCount(ctl::kAllFilesList), 0);
    EXPECT_EQ(window->SelectedLine(ctl::kAllFilesList), -1);
    Fill(ctl::kAllFilesList, {"c"});
    EXPECT_EQ(window->SelectedLine(ctl::kAllFilesList), -1);
}

TEST_F(QtWindowTest, OperationsOnTheWrongKindOrAnUnknownIdDoNothing) {
    window->AppendLine(ctl::kSearch, "x");
    window->AppendLine(ctl::kGroupsLabel, "x");
    window->SetText(ctl::kGroupList, "x");
    window->AppendLine(55, "x");
    window->SetText(55, "x");
    window->Enable(55, false);
    for (int id : {ctl::kSearch, ctl::kGroupsLabel, 55, ctl::kProgress}) {
        EXPECT_EQ(window->LineCount(id), 0);
        EXPECT_EQ(window->SelectedLine(id), 0);
    }
    EXPECT_EQ(Button(ctl::kSearch)->text(), QString::fromUtf8("Doppelte Dateien suchen"));
    EXPECT_EQ(List(ctl::kGroupList)->count(), 0);
}

TEST_F(QtWindowTest, SelectionsTheProgramMakesRaiseNoEvent) {
    Fill(ctl::kGroupList, {"a", "b", "c"});
    window->SelectLine(ctl::kGroupList, 1);
    window->SelectLine(ctl::kGroupList, 2);
    window->RemoveLine(ctl::kGroupList, 2);
    window->SelectLine(ctl::kGroupList, 0);
    window->RemoveLine(ctl::kGroupList, 1);
    window->SelectLine(ctl::kGroupList, -1);
    window->Empty(ctl::kGroupList);
    Fill(ctl::kGroupList, {"d"});
    window->Enable(ctl::kGroupList, false);
    window->SetText(ctl::kGroupsLabel, "x");
    window->ShowProgressBar(true);
    window->SetProgress(50);
    window->ShowProgressBar(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->PendingEvents(), 0U);
}

TEST_F(QtWindowTest, OperationsAfterCloseDoNothing) {
    window->Close();
    EXPECT_FALSE(window->IsOpen());
    window->AppendLine(ctl::kGroupList, "a");
    window->Enable(ctl::kAddFolder, false);
    window->ShowProgressBar(true);
    EXPECT_EQ(window->LineCount(ctl::kGroupList), 0);
    EXPECT_EQ(window->Control(ctl::kAddFolder), nullptr);
    EXPECT_EQ(window->WaitEvent().kind, WindowEvent::Kind::Other) << "the wait after the last event";
    EXPECT_EQ(window->WaitEvent().kind, WindowEvent::Kind::Close) << "a closed window never blocks";
}

}  // namespace
}  // namespace zwf::test
