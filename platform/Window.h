#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/ControlIds.h"
#include "platform/TextLines.h"

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
    // Kind::Close: the program is asked to end from outside (a signal, the end of the session),
    // where nobody may be left to dismiss a message.
    bool ending = false;
};

// The main window as the application sees it: controls addressed by their ids (ControlIds.h).
// Texts are UTF-8 (file names may carry any bytes; front ends show them readably).
// List box indices are 0-based; -1 means "no line".
//
// The control operations act like those of a Win32 single-selection list box, label and push
// button, and every window gives them the same effects:
// - None of them raises a control event, and each is complete when it returns.
// - An operation that does not fit the control's kind (a line for a button, a text for a list
//   box), or an id without a control, does nothing; a query on such a control gives 0.
// - Once the window is closed, operations do nothing and queries give 0.
//
// The program applies the enabled states that follow from its lists each time a wait returns,
// before it acts on the event. So that the states a handler leaves behind are in place before
// the user can act again, a window owes the program a turn:
// - the first WaitEvent returns at once, with a Kind::Other event;
// - the wait after a control event returns at once, with a Kind::Other event, whatever else is
//   queued; the event queued stays for the wait after that.
class Window {
public:
    virtual ~Window() = default;

    // Greys the control out and stops its input, or makes it active again.
    virtual void Enable(int id, bool enabled) = 0;
    virtual int LineCount(int id) = 0;
    virtual int SelectedLine(int id) = 0;  // -1 when none is selected
    // The line becomes the selection. Any index outside the lines, -1 included, leaves no line
    // selected.
    virtual void SelectLine(int id, int index) = 0;
    // The lines below move up, and so does a selection among them. Removing the selected line
    // leaves no line selected (the caller picks the next one itself); an index outside the
    // lines, -1 included, removes nothing.
    virtual void RemoveLine(int id, int index) = 0;
    // The text becomes the last line; the selection stays where it is.
    virtual void AppendLine(int id, std::string_view text) = 0;
    virtual void Empty(int id) = 0;  // all lines go, and no line is selected
    // The lines replace all the list box had, and no line is selected: Empty and an AppendLine
    // for each, in one step that stays quick for a million lines. A window that takes long to
    // fill a list gives other programs their turns meanwhile, as during work (input is dropped).
    virtual void SetLines(int id, TextLines lines) {
        Empty(id);
        for (std::size_t i = 0; i < lines.Size(); ++i)
            AppendLine(id, lines[i]);
    }
    // A label or button shows the new text.
    virtual void SetText(int id, std::string_view text) = 0;

    // Blocks until the next event: a control event, the close request, or anything else
    // (see the turn owed above). The close box only asks: the window stays until Close().
    // Once the window is closed, every wait returns Kind::Close at once.
    virtual WindowEvent WaitEvent() = 0;

    // The platform's modal folder chooser, owned by the main window, opened on initialFolder
    // (none when empty). Returns the chosen folder's path as the platform gives it, or "" when
    // cancelled. While it is open the main window raises no control events.
    virtual std::string ChooseFolder(std::string_view title, std::string_view initialFolder) = 0;

    // A modal message box with an OK button only and no icon; returns when it is dismissed. It is
    // owned by the main window while that is open, and by no window of ours once it is closed.
    virtual void ShowMessage(std::string_view caption, std::string_view text) = 0;

    // Long work. Between BeginWork and EndWork every KeepAlive handles what is pending for the
    // window at once: questions from other programs (a screen reader's) are answered, and user
    // input is discarded, never acted on later; a close request waits for the end of the work.
    // Only painting is held to about the screen's rate. Work calls KeepAlive every few
    // milliseconds, from the thread that made the window.
    virtual void BeginWork() = 0;
    virtual void KeepAlive() = 0;
    virtual void EndWork() = 0;

    // The search's progress bar (ctl::kProgress). Shown, it stands in the search button's place
    // with the button's size, range 0 to 100, starting at 0 each time; the search button is hidden
    // meanwhile and takes no input. Hidden, the bar goes and the search button is back.
    virtual void ShowProgressBar(bool shown) = 0;
    // Moves the bar; a percent outside 0 to 100 stands at the nearer end. Does nothing while the
    // bar is hidden.
    virtual void SetProgress(int percent) = 0;

    // The system's double-click time: two presses closer together than this are one double
    // click. The program drops a delete button's press that comes this soon after the previous
    // delete, so that a hurried double click removes one group, not two.
    virtual std::chrono::milliseconds DoubleClickTime() = 0;
    // The clock the double-click time is measured with; a window for tests may keep its own.
    virtual std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }

    // Destroys the main window. Nothing is shown in it afterwards; message boxes still work.
    virtual void Close() = 0;
};

}  // namespace zwf
