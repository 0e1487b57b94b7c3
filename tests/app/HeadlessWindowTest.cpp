#include "platform/headless/HeadlessWindow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/Layout.h"

namespace zwf {
namespace {

using ::testing::ElementsAre;
using Kind = WindowEvent::Kind;
using Action = WindowEvent::Action;

class HeadlessWindowTest : public ::testing::Test {
protected:
    HeadlessWindow window{kControls};

    void Fill(int id, int count) {
        for (int i = 0; i < count; ++i)
            window.AppendLine(id, "line " + std::to_string(i));
    }
    // The next event that is not the plain event between two user actions.
    WindowEvent NextUserEvent() {
        WindowEvent event = window.WaitEvent();
        while (event.kind == Kind::Other)
            event = window.WaitEvent();
        return event;
    }
};

TEST_F(HeadlessWindowTest, ListBoxSelectionFollowsWin32Rules) {
    const int id = ctl::kGroupList;
    EXPECT_EQ(window.SelectedLine(id), -1);
    Fill(id, 4);
    EXPECT_EQ(window.LineCount(id), 4);
    EXPECT_EQ(window.SelectedLine(id), -1);  // appending selects nothing
    window.SelectLine(id, 2);
    EXPECT_EQ(window.SelectedLine(id), 2);
    window.RemoveLine(id, 0);  // a line above the selection goes: the selection moves up with its line
    EXPECT_EQ(window.SelectedLine(id), 1);
    EXPECT_THAT(window.Lines(id), ElementsAre("line 1", "line 2", "line 3"));
    window.RemoveLine(id, 2);  // a line below changes nothing
    EXPECT_EQ(window.SelectedLine(id), 1);
    window.RemoveLine(id, 1);  // the selected line going leaves no selection
    EXPECT_EQ(window.SelectedLine(id), -1);
    EXPECT_THAT(window.Lines(id), ElementsAre("line 1"));
    window.RemoveLine(id, -1);
    window.RemoveLine(id, 1);
    EXPECT_THAT(window.Lines(id), ElementsAre("line 1"));
    window.SelectLine(id, 0);
    window.SelectLine(id, 5);  // outside the lines: no line selected
    EXPECT_EQ(window.SelectedLine(id), -1);
    window.SelectLine(id, 0);
    window.SelectLine(id, -1);
    EXPECT_EQ(window.SelectedLine(id), -1);
    window.SelectLine(id, 0);
    window.Empty(id);
    EXPECT_EQ(window.LineCount(id), 0);
    EXPECT_EQ(window.SelectedLine(id), -1);
}

TEST_F(HeadlessWindowTest, OperationsOnTheWrongKindDoNothing) {
    window.AppendLine(ctl::kAddFolder, "x");
    window.SelectLine(ctl::kAllFilesLabel, 0);
    EXPECT_EQ(window.LineCount(ctl::kAddFolder), 0);
    EXPECT_EQ(window.SelectedLine(ctl::kAllFilesLabel), 0);
    EXPECT_EQ(window.LineCount(42), 0);
    EXPECT_EQ(window.SelectedLine(42), 0);
    window.SetText(ctl::kMemberList, "kein Text");
    EXPECT_EQ(window.Text(ctl::kMemberList), "");
    window.SetText(ctl::kAllFilesLabel, "Alle Dateien (3)");
    EXPECT_EQ(window.Text(ctl::kAllFilesLabel), "Alle Dateien (3)");
}

TEST_F(HeadlessWindowTest, UserActionsBecomeEventsUnlessTheControlTakesNoInput) {
    Fill(ctl::kGroupList, 3);
    window.Enable(ctl::kReset, false);
    window.Click(ctl::kReset).Click(ctl::kAllFilesLabel).Select(ctl::kGroupList, 7).Click(ctl::kSearch);
    window.Select(ctl::kGroupList, 2);
    const WindowEvent click = NextUserEvent();
    EXPECT_EQ(click.kind, Kind::Control);
    EXPECT_EQ(click.control, ctl::kSearch);
    EXPECT_EQ(click.action, Action::Click);
    const WindowEvent select = NextUserEvent();
    EXPECT_EQ(select.control, ctl::kGroupList);
    EXPECT_EQ(select.action, Action::SelectionChange);
    EXPECT_EQ(window.SelectedLine(ctl::kGroupList), 2);
    EXPECT_EQ(window.Ignored().size(), 3u);
    // The script has run out: the user closes the window, and keeps it closed.
    EXPECT_EQ(NextUserEvent().kind, Kind::Close);
    EXPECT_EQ(NextUserEvent().kind, Kind::Close);
}

TEST_F(HeadlessWindowTest, EveryUserEventFollowsAPlainOne) {
    window.Click(ctl::kAddFolder).Click(ctl::kAddFolder);
    EXPECT_EQ(window.WaitEvent().kind, Kind::Other);
    EXPECT_EQ(window.WaitEvent().kind, Kind::Control);
    EXPECT_EQ(window.WaitEvent().kind, Kind::Other);
    EXPECT_EQ(window.WaitEvent().kind, Kind::Control);
    EXPECT_EQ(window.WaitEvent().kind, Kind::Other);
    EXPECT_EQ(window.WaitEvent().kind, Kind::Close);
}

TEST_F(HeadlessWindowTest, DoubleClickSelectsFirstWhenTheLineWasNotSelected) {
    Fill(ctl::kGroupList, 2);
    window.DoubleClick(ctl::kGroupList, 1).DoubleClick(ctl::kGroupList, 1);
    EXPECT_EQ(NextUserEvent().action, Action::SelectionChange);
    EXPECT_EQ(NextUserEvent().action, Action::DoubleClick);
    EXPECT_EQ(NextUserEvent().action, Action::DoubleClick);
    EXPECT_EQ(NextUserEvent().kind, Kind::Close);
    EXPECT_EQ(window.ControlEventCount(), 3);
}

TEST_F(HeadlessWindowTest, HiddenSearchButtonTakesNoClicks) {
    window.ShowProgressBar(true);
    EXPECT_FALSE(window.IsVisible(ctl::kSearch));
    EXPECT_TRUE(window.IsVisible(ctl::kProgress));
    window.Click(ctl::kSearch);
    EXPECT_EQ(NextUserEvent().kind, Kind::Close);
    window.SetProgress(40);
    window.ShowProgressBar(false);
    window.SetProgress(50);
    EXPECT_TRUE(window.IsVisible(ctl::kSearch));
    EXPECT_THAT(window.ProgressPositions(), ElementsAre(40, 50));
    EXPECT_EQ(window.ProgressSetWhileHidden(), 1);
    EXPECT_THAT(window.ProgressBarShownLog(), ElementsAre(true, false));
}

TEST_F(HeadlessWindowTest, InputMadeDuringWorkIsDiscarded) {
    window.Click(ctl::kAddFolder)
        .DuringWork(UserAction::Clicked(ctl::kReset))
        .DuringWork(UserAction::CloseRequested())
        .Click(ctl::kSearch);
    EXPECT_EQ(NextUserEvent().control, ctl::kAddFolder);
    window.BeginWork();
    window.KeepAlive();
    window.EndWork();
    EXPECT_EQ(window.Discarded().size(), 2u);
    const WindowEvent next = NextUserEvent();
    EXPECT_EQ(next.kind, Kind::Control);
    EXPECT_EQ(next.control, ctl::kSearch);
}

TEST_F(HeadlessWindowTest, AClosedWindowShowsNothingButMessageBoxes) {
    Fill(ctl::kAllFilesList, 1);
    window.ShowMessage("vorher", "a");
    window.Close();
    window.AppendLine(ctl::kAllFilesList, "late");
    window.SetText(ctl::kAllFilesLabel, "late");
    EXPECT_EQ(window.LineCount(ctl::kAllFilesList), 0);
    window.ShowMessage("Credits", "b");
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), ElementsAre("line 0"));
    EXPECT_EQ(window.Text(ctl::kAllFilesLabel), "Alle Dateien");
    ASSERT_EQ(window.Messages().size(), 2u);
    EXPECT_TRUE(window.Messages()[0].windowOpen);
    EXPECT_FALSE(window.Messages()[1].windowOpen);
    EXPECT_EQ(window.WaitEvent().kind, Kind::Close);
}

}  // namespace
}  // namespace zwf
