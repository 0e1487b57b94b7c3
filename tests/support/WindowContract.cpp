// The contract of platform/Window.h, run on every window: headless, Qt and Win32.
#include "tests/support/WindowContract.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>

#include "app/Layout.h"

namespace zwf::test {

using testing::ElementsAre;
using testing::IsEmpty;
using Kind = WindowEvent::Kind;
using Action = WindowEvent::Action;

std::vector<WindowEvent> WindowContract::ControlEventsUntilIdle() {
    std::vector<WindowEvent> events = driver->EventsUntilIdle();
    std::erase_if(events, [](const WindowEvent& event) { return event.kind == Kind::Other; });
    return events;
}

namespace {

using Lines = std::vector<std::string>;

TEST_P(WindowContract, ListBoxKeepsAppendedLinesInOrderAndAppendingSelectsNothing) {
    const int list = ctl::kGroupList;
    EXPECT_EQ(window().LineCount(list), 0);
    EXPECT_EQ(window().SelectedLine(list), -1);
    Fill(list, {"2: b.txt, b.txt", "2: a.txt, a.txt", "", "caf\xC3\xA9.txt (4)"});
    EXPECT_THAT(driver->Lines(list), ElementsAre("2: b.txt, b.txt", "2: a.txt, a.txt", "", "caf\xC3\xA9.txt (4)"));
    EXPECT_EQ(window().LineCount(list), 4);
    EXPECT_EQ(window().SelectedLine(list), -1);
    window().SelectLine(list, 1);
    window().AppendLine(list, "neu");
    EXPECT_EQ(window().SelectedLine(list), 1);
}

TEST_P(WindowContract, SelectLineSelectsALineAndAnyIndexOutsideTheLinesClearsTheSelection) {
    const int list = ctl::kMemberList;
    window().SelectLine(list, 0);
    EXPECT_EQ(window().SelectedLine(list), -1) << "an empty list box has no line to select";
    Fill(list, {"a", "b", "c"});
    const struct {
        int index;
        int selected;
    } cases[] = {{0, 0}, {2, 2}, {1, 1}, {-1, -1}, {3, -1}, {7, -1}, {-5, -1}};
    for (const auto& c : cases) {
        window().SelectLine(list, 1);
        window().SelectLine(list, c.index);
        EXPECT_EQ(window().SelectedLine(list), c.selected) << "index " << c.index;
    }
}

TEST_P(WindowContract, RemoveLineMovesTheLinesBelowUpAndTheSelectionGoesOnlyWithItsLine) {
    const int list = ctl::kAllFilesList;
    const struct {
        int selected;
        int removed;
        Lines lines;
        int selectedAfter;
    } cases[] = {
        {2, 0, {"b", "c", "d"}, 1},          // a line above: the selection moves up with its line
        {1, 3, {"a", "b", "c"}, 1},          // a line below
        {1, 1, {"a", "c", "d"}, -1},         // the selected line
        {-1, 2, {"a", "b", "d"}, -1},
        {1, -1, {"a", "b", "c", "d"}, 1},    // outside the lines: nothing
        {1, 4, {"a", "b", "c", "d"}, 1},
        {1, -7, {"a", "b", "c", "d"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "selected " << c.selected << ", removed " << c.removed);
        window().Empty(list);
        Fill(list, {"a", "b", "c", "d"});
        window().SelectLine(list, c.selected);
        window().RemoveLine(list, c.removed);
        EXPECT_EQ(driver->Lines(list), c.lines);
        EXPECT_EQ(window().LineCount(list), static_cast<int>(c.lines.size()));
        EXPECT_EQ(window().SelectedLine(list), c.selectedAfter);
    }
}

TEST_P(WindowContract, EmptyAndSetLinesReplaceEveryLineAndTheSelectionGoes) {
    const int list = ctl::kAllFilesList;
    TextLines two;
    two.Append("c");
    two.Append("d\xC3\xA9 (4)");
    const struct {
        const char* way;
        std::function<void()> replace;
        Lines lines;
    } cases[] = {
        {"Empty", [&] { window().Empty(list); }, {}},
        {"SetLines", [&] { window().SetLines(list, two); }, {"c", "d\xC3\xA9 (4)"}},
        {"SetLines without lines", [&] { window().SetLines(list, {}); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        window().Empty(list);
        Fill(list, {"a", "b", "x"});
        window().SelectLine(list, 1);
        c.replace();
        EXPECT_EQ(driver->Lines(list), c.lines);
        EXPECT_EQ(window().LineCount(list), static_cast<int>(c.lines.size()));
        EXPECT_EQ(window().SelectedLine(list), -1);
        Fill(list, {"e"});
        Lines more = c.lines;
        more.push_back("e");
        EXPECT_EQ(driver->Lines(list), more);
        EXPECT_EQ(window().SelectedLine(list), -1) << "no selection comes back with new lines";
    }
}

TEST_P(WindowContract, SetTextAndEnableActOnLabelsAndButtons) {
    window().SetText(ctl::kAllFilesLabel, "Alle Dateien (3)");
    window().SetText(ctl::kSearch, "Doppelte Dateien suchen (2)");
    EXPECT_EQ(driver->Text(ctl::kAllFilesLabel), "Alle Dateien (3)");
    EXPECT_EQ(driver->Text(ctl::kSearch), "Doppelte Dateien suchen (2)");
    for (int id : {ctl::kReset, ctl::kMemberList, ctl::kDeleteGroup}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(driver->IsEnabled(id));
        window().Enable(id, false);
        EXPECT_FALSE(driver->IsEnabled(id));
        window().Enable(id, true);
        EXPECT_TRUE(driver->IsEnabled(id));
    }
}

TEST_P(WindowContract, OperationsOnAControlOfAnotherKindDoNothingAndItsQueriesGiveZero) {
    Fill(ctl::kGroupList, {"a"});
    window().SelectLine(ctl::kGroupList, 0);
    window().SetText(ctl::kGroupList, "kein Text");
    window().AppendLine(ctl::kSearch, "x");
    window().AppendLine(ctl::kGroupsLabel, "x");
    window().SelectLine(ctl::kGroupsLabel, 0);
    window().RemoveLine(ctl::kSearch, 0);
    window().Empty(ctl::kGroupsLabel);
    window().SetLines(ctl::kSearch, TextLines());
    // Ids without a control.
    window().AppendLine(55, "x");
    window().SetText(55, "x");
    window().Enable(55, false);
    window().Empty(55);
    EXPECT_THAT(driver->Lines(ctl::kGroupList), ElementsAre("a"));
    EXPECT_EQ(driver->Text(ctl::kGroupList), "");
    EXPECT_EQ(window().SelectedLine(ctl::kGroupList), 0);
    EXPECT_EQ(driver->Text(ctl::kSearch), "Doppelte Dateien suchen");
    EXPECT_EQ(driver->Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt");
    for (int id : {ctl::kSearch, ctl::kGroupsLabel, ctl::kProgress, 55}) {
        EXPECT_EQ(window().LineCount(id), 0) << id;
        EXPECT_EQ(window().SelectedLine(id), 0) << id;
    }
}

TEST_P(WindowContract, TheProgramsOwnOperationsRaiseNoEvent) {
    driver->EventsUntilIdle();
    Fill(ctl::kGroupList, {"a", "b", "c"});
    window().SelectLine(ctl::kGroupList, 1);
    window().SelectLine(ctl::kGroupList, 2);
    window().RemoveLine(ctl::kGroupList, 2);
    window().SelectLine(ctl::kGroupList, 0);
    window().RemoveLine(ctl::kGroupList, 1);
    window().SelectLine(ctl::kGroupList, -1);
    window().Empty(ctl::kGroupList);
    TextLines lines;
    lines.Append("d");
    window().SetLines(ctl::kGroupList, lines);
    window().SelectLine(ctl::kGroupList, 0);
    window().SetLines(ctl::kGroupList, {});
    window().Enable(ctl::kGroupList, false);
    window().Enable(ctl::kSearch, false);
    window().Enable(ctl::kSearch, true);
    window().SetText(ctl::kSearch, "x");
    window().SetText(ctl::kGroupsLabel, "x");
    window().ShowProgressBar(true);
    window().SetProgress(50);
    window().ShowProgressBar(false);
    EXPECT_THAT(ControlEventsUntilIdle(), IsEmpty());
}

// The program settles the enabled states each time a wait returns, so the window gives it a turn
// at start and after every control event, before the next event, queued or not.
TEST_P(WindowContract, TheProgramGetsATurnAtStartAndAfterEveryUserEvent) {
    const std::vector<WindowEvent> atStart = driver->EventsUntilIdle();
    ASSERT_FALSE(atStart.empty()) << "the first wait returns at once";
    EXPECT_EQ(atStart.front().kind, Kind::Other);
    Fill(ctl::kGroupList, {"eins", "zwei"});
    driver->ClickButton(ctl::kSearch);
    driver->ClickLine(ctl::kGroupList, 1);
    const std::vector<WindowEvent> events = driver->EventsUntilIdle();
    std::vector<WindowEvent> controlEvents;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind != Kind::Control)
            continue;
        controlEvents.push_back(events[i]);
        ASSERT_LT(i + 1, events.size()) << "no turn after the last control event";
        EXPECT_EQ(events[i + 1].kind, Kind::Other) << "event " << i + 1;
    }
    EXPECT_THAT(controlEvents, ElementsAre(ControlEvent(ctl::kSearch, Action::Click),
                                           ControlEvent(ctl::kGroupList, Action::SelectionChange)));
    EXPECT_EQ(window().SelectedLine(ctl::kGroupList), 1);
}

TEST_P(WindowContract, ADoubleClickOnALineNotSelectedSelectsItThenReportsTheDoubleClick) {
    driver->EventsUntilIdle();
    Fill(ctl::kGroupList, {"eins", "zwei"});
    window().SelectLine(ctl::kGroupList, 0);
    driver->DoubleClickLine(ctl::kGroupList, 1);
    EXPECT_THAT(ControlEventsUntilIdle(), ElementsAre(ControlEvent(ctl::kGroupList, Action::SelectionChange),
                                                      ControlEvent(ctl::kGroupList, Action::DoubleClick)));
    EXPECT_EQ(window().SelectedLine(ctl::kGroupList), 1);
}

TEST_P(WindowContract, CloseBoxOnlyAsksAndTheWindowStaysUntilTheProgramClosesIt) {
    driver->EventsUntilIdle();
    driver->RequestClose(WindowDriver::CloseWay::CloseBox);
    EXPECT_THAT(ControlEventsUntilIdle(), ElementsAre(WindowEvent{Kind::Close, -1, Action::None}));
    EXPECT_TRUE(driver->IsOpen());
    window().Close();
    EXPECT_FALSE(driver->IsOpen());
}

TEST_P(WindowContract, AClosedWindowDoesNothingAndEveryWaitReportsCloseAtOnce) {
    Fill(ctl::kAllFilesList, {"a"});
    window().Close();
    window().AppendLine(ctl::kAllFilesList, "b");
    window().SelectLine(ctl::kAllFilesList, 0);
    window().Enable(ctl::kSearch, false);
    window().SetText(ctl::kAllFilesLabel, "x");
    window().ShowProgressBar(true);
    window().SetProgress(50);
    EXPECT_EQ(window().LineCount(ctl::kAllFilesList), 0);
    EXPECT_EQ(window().SelectedLine(ctl::kAllFilesList), 0);
    EXPECT_FALSE(driver->IsVisible(ctl::kProgress));
    EXPECT_EQ(window().WaitEvent().kind, Kind::Close);
    EXPECT_EQ(window().WaitEvent().kind, Kind::Close);
}

// Long work: what the user does to the controls meanwhile is dropped, never acted on later, and
// afterwards input counts again.
TEST_P(WindowContract, InputDuringWorkRaisesNothingAfterwards) {
    Fill(ctl::kGroupList, {"a", "b"});
    window().BeginWork();
    driver->ClickButton(ctl::kAddFolder);
    driver->ClickLine(ctl::kGroupList, 1);
    window().KeepAlive();
    driver->ClickButton(ctl::kReset);  // still waiting when the work ends
    window().EndWork();
    EXPECT_THAT(ControlEventsUntilIdle(), IsEmpty());
    EXPECT_EQ(window().SelectedLine(ctl::kGroupList), -1);
    driver->ClickButton(ctl::kReset);
    EXPECT_THAT(ControlEventsUntilIdle(), ElementsAre(ControlEvent(ctl::kReset, Action::Click)));
}

// A close request made during work, whichever way the user asks, is kept and answered once the
// work ends; the window stays until the program closes it.
TEST_P(WindowContract, ACloseRequestDuringWorkIsKeptUntilTheWorkEnds) {
    using Way = WindowDriver::CloseWay;
    for (Way way : {Way::CloseBox, Way::Keyboard, Way::SystemMenu}) {
        SCOPED_TRACE(testing::Message() << "way " << static_cast<int>(way));
        window().BeginWork();
        driver->RequestClose(way);
        window().KeepAlive();
        window().KeepAlive();
        window().EndWork();
        EXPECT_THAT(ControlEventsUntilIdle(), ElementsAre(WindowEvent{Kind::Close, -1, Action::None}));
        EXPECT_TRUE(driver->IsOpen());
    }
}

TEST_P(WindowContract, ProgressBarStandsInTheSearchButtonsPlaceAndStartsAtZeroEachTime) {
    EXPECT_FALSE(driver->IsVisible(ctl::kProgress));
    EXPECT_TRUE(driver->IsVisible(ctl::kSearch));
    window().ShowProgressBar(true);
    EXPECT_TRUE(driver->IsVisible(ctl::kProgress));
    EXPECT_FALSE(driver->IsVisible(ctl::kSearch));
    EXPECT_EQ(driver->ProgressPosition(), 0);
    const struct {
        int percent;
        int position;
    } cases[] = {{42, 42}, {100, 100}, {250, 100}, {0, 0}, {-5, 0}, {7, 7}};
    for (const auto& c : cases) {
        window().SetProgress(c.percent);
        EXPECT_EQ(driver->ProgressPosition(), c.position) << c.percent;
    }
    window().ShowProgressBar(false);
    EXPECT_FALSE(driver->IsVisible(ctl::kProgress));
    EXPECT_TRUE(driver->IsVisible(ctl::kSearch));
    window().SetProgress(60);  // hidden: nothing to move
    window().ShowProgressBar(true);
    EXPECT_EQ(driver->ProgressPosition(), 0) << "each comparison starts its bar afresh";
}

}  // namespace
}  // namespace zwf::test
