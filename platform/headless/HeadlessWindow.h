#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Window.h"

namespace zwf {

class HeadlessWindow;

// One step of a scripted user: what a person would do with mouse and keyboard.
struct UserAction {
    enum class Kind { Click, Select, DoubleClick, Close, Check };
    Kind kind = Kind::Click;
    int control = -1;
    int line = -1;
    bool duringWork = false;  // made while the program is busy: discarded, but a close request is kept
    std::function<void(HeadlessWindow&)> check{};  // Kind::Check: looks at the window, raises nothing

    static UserAction Clicked(int id) { return {.kind = Kind::Click, .control = id}; }
    static UserAction Selected(int id, int line) { return {.kind = Kind::Select, .control = id, .line = line}; }
    static UserAction DoubleClicked(int id, int line) {
        return {.kind = Kind::DoubleClick, .control = id, .line = line};
    }
    static UserAction CloseRequested() { return {.kind = Kind::Close}; }
};

struct ShownMessage {
    std::string caption;
    std::string text;
    bool windowOpen = false;  // whether the main window still existed when it was shown
};

struct FolderRequest {
    std::string title;
    std::string initialFolder;
};

// A window without a screen, for tests: controls behave like the Win32 ones (lines, selection,
// enabled, visible), a script stands in for the user, and everything shown is recorded.
// The window owes the program a turn after start and after each control event, as every window
// does. When the script runs out, the user closes the window.
class HeadlessWindow final : public Window {
public:
    explicit HeadlessWindow(std::span<const ControlSpec> controls);

    // The script.
    HeadlessWindow& Add(UserAction action);
    HeadlessWindow& Click(int id) { return Add(UserAction::Clicked(id)); }
    HeadlessWindow& Select(int id, int line) { return Add(UserAction::Selected(id, line)); }
    HeadlessWindow& DoubleClick(int id, int line) { return Add(UserAction::DoubleClicked(id, line)); }
    HeadlessWindow& RequestClose() { return Add(UserAction::CloseRequested()); }
    HeadlessWindow& Check(std::function<void(HeadlessWindow&)> check);
    // Runs each time the progress bar moves, with its new position: a test acts at that point of
    // the work from here.
    HeadlessWindow& WhenProgressMoves(std::function<void(int percent)> hook) {
        m_progressHook = std::move(hook);
        return *this;
    }
    // The user waits this long before the next step. The window's clock moves only here, so
    // without pauses every action comes at the same instant.
    HeadlessWindow& Pause(std::chrono::milliseconds pause);
    // The double-click time the window reports; 0 until set, so that no press comes too soon.
    HeadlessWindow& SetDoubleClickTime(std::chrono::milliseconds time) {
        m_doubleClickTime = time;
        return *this;
    }
    // Input the user makes while the next long work is running.
    HeadlessWindow& DuringWork(UserAction action);
    // The answer of the next folder dialog ("" cancels it); a dialog without an answer is cancelled.
    HeadlessWindow& AnswerFolder(std::string folder);
    // Answers the next folder dialog with folder, then clicks button id.
    HeadlessWindow& PickFolder(int id, std::string folder);

    // What the window shows now.
    // These answer after the window has been closed too, with what it showed last.
    std::vector<std::string> Lines(int id) const;
    int LineTotal(int id) const { return static_cast<int>(Lines(id).size()); }
    int Selection(int id) const;  // -1 when no line is selected
    std::string Text(int id) const;
    bool IsEnabled(int id) const;
    bool IsVisible(int id) const;  // also answers for the progress bar's id
    bool IsClosed() const { return m_closed; }
    // Nothing left to report before the script's next action: no turn owed, no event queued.
    bool IsIdle() const { return m_closed || (!m_turnOwed && m_pending.empty() && !m_closeAsked); }
    bool HasScriptLeft() const { return !m_script.empty(); }
    int ProgressPosition() const { return m_progress; }

    // What was shown over time.
    const std::vector<std::string>& TextHistory(int id) const;
    const std::vector<ShownMessage>& Messages() const { return m_messages; }
    const std::vector<FolderRequest>& FolderRequests() const { return m_folderRequests; }
    const std::vector<int>& ProgressPositions() const { return m_progressPositions; }
    int ProgressSetWhileHidden() const { return m_progressWhileHidden; }
    const std::vector<bool>& ProgressBarShownLog() const { return m_barLog; }
    int WorkCount() const { return m_workCount; }
    int KeepAliveCount() const { return m_keepAliveCount; }
    bool IsWorking() const { return m_working; }
    const std::vector<UserAction>& Discarded() const { return m_discarded; }
    const std::vector<UserAction>& Ignored() const { return m_ignored; }
    int ControlEventCount() const { return m_controlEvents; }

    // Window
    void Enable(int id, bool enabled) override;
    int LineCount(int id) override;
    int SelectedLine(int id) override;
    void SelectLine(int id, int index) override;
    void RemoveLine(int id, int index) override;
    void AppendLine(int id, std::string_view text) override;
    void Empty(int id) override;
    void SetText(int id, std::string_view text) override;
    WindowEvent WaitEvent() override;
    std::string ChooseFolder(std::string_view title, std::string_view initialFolder) override;
    void ShowMessage(std::string_view caption, std::string_view text) override;
    void BeginWork() override;
    void KeepAlive() override;
    void EndWork() override;
    void ShowProgressBar(bool shown) override;
    void SetProgress(int percent) override;
    std::chrono::milliseconds DoubleClickTime() override { return m_doubleClickTime; }
    std::chrono::steady_clock::time_point Now() override { return m_now; }
    void Close() override;

private:
    struct Control {
        ControlSpec::Kind kind = ControlSpec::Kind::Button;
        std::string text;
        std::vector<std::string> lines{};
        int selected = -1;
        bool enabled = true;
        bool visible = true;
        std::vector<std::string> textHistory{};
    };

    Control* Find(int id);
    const Control* Find(int id) const;
    Control* FindListBox(int id);
    bool TakesInput(int id) const;
    void DiscardInputMadeDuringWork();
    // The event a scripted action raises, or none when the window would not react to it.
    bool Deliver(const UserAction& action, WindowEvent& event);

    std::map<int, Control> m_controls;
    std::deque<UserAction> m_script;
    std::deque<std::string> m_folderAnswers;
    std::deque<WindowEvent> m_pending;  // the second half of a double-click
    bool m_turnOwed = true;             // the turn after start, or after a control event
    bool m_closed = false;
    bool m_closeAsked = false;  // during work, for the first wait after it
    bool m_working = false;
    bool m_barShown = false;
    int m_progress = 0;
    int m_progressWhileHidden = 0;
    int m_workCount = 0;
    int m_keepAliveCount = 0;
    int m_controlEvents = 0;
    std::vector<ShownMessage> m_messages;
    std::vector<FolderRequest> m_folderRequests;
    std::vector<int> m_progressPositions;
    std::vector<bool> m_barLog;
    std::vector<UserAction> m_discarded;
    std::vector<UserAction> m_ignored;
    std::function<void(int)> m_progressHook;
    std::chrono::milliseconds m_doubleClickTime{0};
    std::chrono::steady_clock::time_point m_now{};
};

}  // namespace zwf
