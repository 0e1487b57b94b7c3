#pragma once

#include <string>
#include <string_view>

namespace zwf {

// One control of the main window, as the front end creates it. Positions are client coordinates.
struct ControlSpec {
    enum class Kind { Button, Label, ListBox };
    int id = 0;
    Kind kind = Kind::Button;
    int x = 0, y = 0, width = 0, height = 0;
    std::string_view text;  // UTF-8
};

// What the event wait reports. Control events come only from the user: clicks of buttons,
// selection changes and double-clicks of list boxes. Selections the program makes raise none.
struct WindowEvent {
    enum class Kind { Control, Close, Other };
    enum class Action { None, Click, SelectionChange, DoubleClick };
    Kind kind = Kind::Other;
    int control = -1;  // the control's id for Kind::Control
    Action action = Action::None;
};

// The main window as the application sees it: controls addressed by their ids.
// Texts are UTF-8 (file names may carry any bytes; front ends show them readably).
// List box indices are 0-based; -1 means "no line".
class Window {
public:
    virtual ~Window() = default;

    // Control operations. An operation that does not fit the control's kind does nothing,
    // and a query on such a control gives 0.
    virtual void Enable(int id, bool enabled) = 0;
    virtual int LineCount(int id) = 0;
    virtual int SelectedLine(int id) = 0;            // -1 when none is selected
    virtual void SelectLine(int id, int index) = 0;  // -1 clears the selection; out of range selects nothing
    virtual void RemoveLine(int id, int index) = 0;  // an index outside the lines removes nothing
    virtual void AppendLine(int id, std::string_view text) = 0;
    virtual void Empty(int id) = 0;                  // all lines go, no selection
    virtual void SetText(int id, std::string_view text) = 0;

    // Blocks until the next event: a control event, the close request, or anything else.
    virtual WindowEvent WaitEvent() = 0;

    // The platform's modal folder chooser, opened on initialFolder (none when empty).
    // Returns the chosen folder's path as the platform gives it, or "" when cancelled.
    virtual std::string ChooseFolder(std::string_view title, std::string_view initialFolder) = 0;

    // A modal message box with an OK button only and no icon.
    virtual void ShowMessage(std::string_view caption, std::string_view text) = 0;

    // Long work. Between BeginWork and EndWork every KeepAlive handles what is pending for the
    // window at once: questions from other programs (a screen reader's) are answered, and user
    // input is discarded, never acted on later; a close request waits for the end of the work.
    // Only painting is held to about the screen's rate. Work calls KeepAlive every few
    // milliseconds, from the thread that made the window.
    virtual void BeginWork() = 0;
    virtual void KeepAlive() = 0;
    virtual void EndWork() = 0;

    // The search's progress bar (id 100): shown hides button 9 and puts the bar, range 0 to 100,
    // in its place; hidden removes the bar and shows button 9 again.
    virtual void ShowProgressBar(bool shown) = 0;
    virtual void SetProgress(int percent) = 0;

    // Destroys the main window. Nothing is shown in it afterwards; message boxes still work.
    virtual void Close() = 0;
};

}  // namespace zwf
