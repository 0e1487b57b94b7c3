#include "platform/headless/HeadlessWindow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/Layout.h"
#include "tests/support/WindowContract.h"

namespace zwf {
namespace {

using ::testing::ElementsAre;
using test::WindowContract;
using Kind = WindowEvent::Kind;
using Action = WindowEvent::Action;

// The user is the window's script; an action joins it and happens at the next waits.
class HeadlessDriver final : public test::WindowDriver {
public:
    Window& Get() override { return m_window; }
    std::vector<std::string> Lines(int id) override { return m_window.Lines(id); }
    std::string Text(int id) override { return m_window.Text(id); }
    bool IsEnabled(int id) override { return m_window.IsEnabled(id); }
    bool IsVisible(int id) override { return m_window.IsVisible(id); }
    int ProgressPosition() override { return m_window.ProgressPosition(); }
    bool IsOpen() override { return !m_window.IsClosed(); }
    // What the user does while the program works is marked so, as the real windows tell it.
    void ClickButton(int id) override { Act(UserAction::Clicked(id)); }
    void ClickLine(int id, int line) override { Act(UserAction::Selected(id, line)); }
    void DoubleClickLine(int id, int line) override { Act(UserAction::DoubleClicked(id, line)); }
    void RequestClose(CloseWay) override { Act(UserAction::CloseRequested()); }
    std::vector<WindowEvent> EventsUntilIdle() override {
        std::vector<WindowEvent> events;
        while (!m_window.IsClosed() && (!m_window.IsIdle() || m_window.HasScriptLeft()))
            events.push_back(m_window.WaitEvent());
        return events;
    }

private:
    void Act(UserAction action) {
        if (m_window.IsWorking())
            m_window.DuringWork(std::move(action));
        else
            m_window.Add(std::move(action));
    }
    HeadlessWindow m_window{kControls};
};

std::unique_ptr<test::WindowDriver> MakeHeadlessDriver() { return std::make_unique<HeadlessDriver>(); }
INSTANTIATE_TEST_SUITE_P(Headless, WindowContract,
                         testing::Values(test::WindowUnderTest{"Headless", &MakeHeadlessDriver}),
                         test::WindowUnderTestName);

class HeadlessWindowTest : public ::testing::Test {
protected:
    HeadlessWindow window{kControls};

    void Fill(int id, int count) {
        for (int i = 0; i < count; ++i)
            window.AppendLine(id, "line " + std::to_string(i));
    }
    // The next event that is not a turn for the program.
    WindowEvent NextUserEvent() {
        WindowEvent event = window.WaitEvent();
        while (event.kind == Kind::Other)
            event = window.WaitEvent();
        return event;
    }
};

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

TEST_F(HeadlessWindowTest, DoubleClickOnTheSelectedLineIsOnlyADoubleClick) {
    Fill(ctl::kGroupList, 2);
    window.DoubleClick(ctl::kGroupList, 1).DoubleClick(ctl::kGroupList, 1);
    EXPECT_EQ(NextUserEvent().action, Action::SelectionChange);
    EXPECT_EQ(NextUserEvent().action, Action::DoubleClick);
    EXPECT_EQ(NextUserEvent().action, Action::DoubleClick);
    EXPECT_EQ(NextUserEvent().kind, Kind::Close);
    EXPECT_EQ(window.ControlEventCount(), 3);
}

TEST_F(HeadlessWindowTest, HiddenSearchButtonTakesNoClicksAndTheBarRecordsWhatItWasTold) {
    window.ShowProgressBar(true);
    window.Click(ctl::kSearch);
    EXPECT_EQ(NextUserEvent().kind, Kind::Close);
    window.SetProgress(40);
    window.ShowProgressBar(false);
    window.SetProgress(50);
    EXPECT_THAT(window.ProgressPositions(), ElementsAre(40));
    EXPECT_EQ(window.ProgressSetWhileHidden(), 1);
    EXPECT_THAT(window.ProgressBarShownLog(), ElementsAre(true, false));
}

TEST_F(HeadlessWindowTest, AClosedWindowStillTellsWhatItShowedLastAndWhereMessagesWent) {
    Fill(ctl::kAllFilesList, 1);
    window.ShowMessage("vorher", "a");
    window.Close();
    window.AppendLine(ctl::kAllFilesList, "late");
    window.SetText(ctl::kAllFilesLabel, "late");
    window.ShowMessage("Credits", "b");
    EXPECT_THAT(window.Lines(ctl::kAllFilesList), ElementsAre("line 0"));
    EXPECT_EQ(window.Text(ctl::kAllFilesLabel), "Alle Dateien");
    ASSERT_EQ(window.Messages().size(), 2u);
    EXPECT_TRUE(window.Messages()[0].windowOpen);
    EXPECT_FALSE(window.Messages()[1].windowOpen);
}

}  // namespace
}  // namespace zwf
