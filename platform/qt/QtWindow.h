#pragma once

#include <QSize>

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Window.h"

class QEventLoop;
class QProgressBar;
class QWidget;

namespace zwf::qt {

class InputBlocker;
class PaintThrottle;
class ListBox;
class MainWidget;

// The main window on Qt Widgets. Its slots only queue WindowEvents; every decision is made by
// the program that waits for them. The window stays open until Close(): the close box only asks.
class QtWindow final : public Window {
public:
    // Opens the window centred on its screen, with a fixed client area and the controls created in
    // the order given (which is also the Tab order).
    QtWindow(std::string_view title, std::span<const ControlSpec> controls, QSize clientSize);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    void Enable(int id, bool enabled) override;
    int LineCount(int id) override;
    int SelectedLine(int id) override;
    void SelectLine(int id, int index) override;
    void RemoveLine(int id, int index) override;
    void AppendLine(int id, std::string_view text) override;
    void SetLines(int id, TextLines lines) override;
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
    std::chrono::milliseconds DoubleClickTime() override;
    void Close() override;

    // Asks the program to end, as the close box does (work in hand ends first), for a reason that
    // may leave nobody to answer a message: a dialog or message box open now is closed, and the
    // request tells Run to show no credits.
    void RequestEnd();

    // Replaces the folder dialog, so that tests and scripted sessions can answer it.
    using FolderChooser = std::function<std::string(std::string_view title, std::string_view initialFolder)>;
    void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    // Runs each time WaitEvent is about to block; a test drives the window from here.
    void SetWaitHook(std::function<void()> hook) { m_waitHook = std::move(hook); }

    bool IsOpen() const { return m_widget != nullptr; }
    QWidget* Widget() const;
    QWidget* Control(int id) const;  // nullptr for an unknown id or once the window is closed
    QProgressBar* ProgressBar() const { return m_progressBar; }
    std::size_t PendingEvents() const { return m_events.size(); }
    // Whether the next wait of the open window returns at once: a turn is owed or an event is queued.
    bool HasEventReady() const { return m_turnOwed || !m_events.empty(); }

private:
    struct ControlEntry {
        int id = 0;
        ControlSpec::Kind kind = ControlSpec::Kind::Button;
        QWidget* widget = nullptr;  // owned by the main widget
    };

    void CreateControl(const ControlSpec& spec);
    void CenterOnScreen(QSize clientSize);
    const ControlEntry* Find(int id) const;
    ListBox* FindListBox(int id) const;
    void Queue(const WindowEvent& event);
    void QueueControl(int id, WindowEvent::Action action);
    void QueueCloseRequest();

    std::unique_ptr<MainWidget> m_widget;
    std::vector<ControlEntry> m_controls;
    QProgressBar* m_progressBar = nullptr;
    std::deque<WindowEvent> m_events;
    // The turn owed to the program after start and after each control event (see Window).
    bool m_turnOwed = true;
    QEventLoop* m_waitLoop = nullptr;
    std::unique_ptr<InputBlocker> m_inputBlocker;
    std::unique_ptr<PaintThrottle> m_paintThrottle;
    bool m_working = false;
    FolderChooser m_chooseFolder;
    std::function<void()> m_waitHook;
};

}  // namespace zwf::qt
