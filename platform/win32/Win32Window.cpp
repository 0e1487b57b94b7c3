// https://learn.microsoft.com/windows/win32/winmsg/using-messages-and-message-queues
#include "platform/win32/Win32Window.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include "platform/ControlIds.h"
#include "platform/win32/Controls.h"
#include "platform/win32/FolderDialog.h"
#include "platform/win32/MessageFilter.h"
#include "platform/win32/Utf16.h"

namespace zwf {

namespace {

using win32::Widen;

constexpr wchar_t kClassName[] = L"Zwillingsfeger.Hauptfenster";
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
// Painting more often than the screen refreshes would only slow the work down.
constexpr auto kPaintInterval = std::chrono::milliseconds(16);
// A list box being filled gives the window a turn after this much filling, looking at the clock
// after every kLinesPerLook lines (a tenth of a millisecond's worth under Wine); it shows the lines
// it has so far this often.
constexpr auto kFillTurnInterval = std::chrono::milliseconds(5);
constexpr std::size_t kLinesPerLook = 64;
constexpr auto kFillPaintInterval = std::chrono::milliseconds(100);

class Win32Window final : public Window {
public:
    explicit Win32Window(std::span<const ControlSpec> controls) : m_controls(controls.begin(), controls.end()) {}
    ~Win32Window() override { Close(); }
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    bool Open(std::string_view title);

    void Enable(int id, bool enabled) override {
        if (HWND control = Control(id))
            ::EnableWindow(control, enabled);
    }
    int LineCount(int id) override { return static_cast<int>(SendToList(id, LB_GETCOUNT, 0, 0)); }
    int SelectedLine(int id) override { return ListBox(id) ? static_cast<int>(SendToList(id, LB_GETCURSEL, 0, 0)) : 0; }
    void SelectLine(int id, int index) override {
        // An index past the lines clears the selection, as -1 does.
        const int count = LineCount(id);
        SendToList(id, LB_SETCURSEL, index >= 0 && index < count ? index : -1, 0);
    }
    void RemoveLine(int id, int index) override {
        if (index >= 0 && index < LineCount(id))
            SendToList(id, LB_DELETESTRING, index, 0);
    }
    void AppendLine(int id, std::string_view text) override {
        HWND list = ListBox(id);
        if (!list)
            return;
        HoldPainting(list);
        const std::wstring line = Widen(text);
        ::SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(line.c_str()));
    }
    void SetLines(int id, TextLines lines) override;
    void Empty(int id) override { SendToList(id, LB_RESETCONTENT, 0, 0); }
    void SetText(int id, std::string_view text) override {
        const ControlSpec* spec = Spec(id);
        if (spec && spec->kind != ControlSpec::Kind::ListBox)
            ::SetWindowTextW(Control(id), Widen(text).c_str());
    }

    WindowEvent WaitEvent() override;
    std::string ChooseFolder(std::string_view title, std::string_view initialFolder) override;
    void ShowMessage(std::string_view caption, std::string_view text) override;

    void BeginWork() override;
    void KeepAlive() override;
    void EndWork() override;
    void ShowProgressBar(bool shown) override;
    void SetProgress(int percent) override {
        // The bar itself keeps the position within its range.
        if (m_progress)
            ::SendMessageW(m_progress, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    }
    std::chrono::milliseconds DoubleClickTime() override { return std::chrono::milliseconds(::GetDoubleClickTime()); }
    void Close() override;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code, HWND from);
    void Report(WindowEvent event);
    enum class Painting : bool { Later, Now };
    void PumpWhileBusy(Painting painting = Painting::Now);
    void TurnWhileFilling(HWND list, std::chrono::steady_clock::time_point& nextListPaint);
    // Under Wine a list box updates its scroll bar after every line it is given, milliseconds
    // each: lines appended one by one are painted once the window next handles its messages.
    void HoldPainting(HWND list) {
        if (std::find(m_paintingHeld.begin(), m_paintingHeld.end(), list) != m_paintingHeld.end())
            return;
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        m_paintingHeld.push_back(list);
    }
    void ResumePainting() {
        for (HWND list : std::exchange(m_paintingHeld, {})) {
            ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
            ::InvalidateRect(list, nullptr, TRUE);
        }
    }

    const ControlSpec* Spec(int id) const {
        for (const ControlSpec& spec : m_controls)
            if (spec.id == id)
                return &spec;
        return nullptr;
    }
    HWND Control(int id) const { return m_window && Spec(id) ? ::GetDlgItem(m_window, id) : nullptr; }
    HWND ListBox(int id) const {
        const ControlSpec* spec = Spec(id);
        return spec && spec->kind == ControlSpec::Kind::ListBox ? Control(id) : nullptr;
    }
    LRESULT SendToList(int id, UINT message, WPARAM wParam, LPARAM lParam) {
        HWND list = ListBox(id);
        return list ? ::SendMessageW(list, message, wParam, lParam) : 0;
    }

    std::vector<ControlSpec> m_controls;
    HWND m_window = nullptr;
    HBRUSH m_background = nullptr;
    bool m_classRegistered = false;
    HWND m_progress = nullptr;
    std::optional<WindowEvent> m_event;                   // what the message being handled raised
    bool m_busy = false;                                  // inside BeginWork/EndWork
    bool m_modal = false;                                 // a dialog of ours is open
    bool m_closeDeferred = false;                         // a close request came while busy
    bool m_ending = false;                                // the session ends: the close request came from it
    bool m_turnOwed = true;                               // after start and after each control event (see Window)
    std::chrono::steady_clock::time_point m_nextPaint{};  // while busy
    std::vector<HWND> m_paintingHeld;                     // list boxes given lines since the last look
};

bool Win32Window::Open(std::string_view title) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_background = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = Procedure;
    cls.hInstance = instance;
    cls.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = m_background;
    cls.lpszClassName = kClassName;
    m_classRegistered = ::RegisterClassExW(&cls) != 0;
    if (!m_classRegistered)
        return false;

    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRect(&outer, kFrameStyle, FALSE);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    ::CreateWindowExW(0, kClassName, Widen(title).c_str(), kFrameStyle | WS_VISIBLE, x, y, width, height, nullptr,
                      nullptr, instance, this);
    if (!m_window)
        return false;
    for (const ControlSpec& spec : m_controls)
        win32::CreateControl(m_window, spec);
    return true;
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->m_window == window)
        return self->Handle(message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
    case WM_CLOSE:
        // The window stays until the program closes it.
        Report({WindowEvent::Kind::Close, -1, WindowEvent::Action::None});
        return 0;
    case WM_QUERYENDSESSION:
        // The session waits for the work in hand (a delete), named why; the program ends as
        // soon as that work is done, and the session's end goes on without it.
        if (m_busy) {
            m_ending = true;
            m_closeDeferred = true;
            ::ShutdownBlockReasonCreate(m_window, L"Zwillingsfeger beendet erst die Arbeit, die gerade läuft.");
            return FALSE;
        }
        return TRUE;
    case WM_ENDSESSION:
        // Nothing is in hand (the question above answered so): the program may end at any time now.
        if (wParam) {
            m_ending = true;
            m_closeDeferred = true;
        }
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        m_window = nullptr;
        break;
    default: break;
    }
    return ::DefWindowProcW(m_window, message, wParam, lParam);
}

// Only the user's clicks on buttons and selection changes and double-clicks in list boxes
// count; the keyboard interface's IDOK/IDCANCEL commands and all other notifications do not.
void Win32Window::OnCommand(int id, int code, HWND from) {
    const ControlSpec* spec = Spec(id);
    if (!spec || !from || from != ::GetDlgItem(m_window, id))
        return;
    WindowEvent event{WindowEvent::Kind::Control, id, WindowEvent::Action::None};
    if (spec->kind == ControlSpec::Kind::Button && code == BN_CLICKED)
        event.action = WindowEvent::Action::Click;
    else if (spec->kind == ControlSpec::Kind::ListBox && code == LBN_SELCHANGE)
        event.action = WindowEvent::Action::SelectionChange;
    else if (spec->kind == ControlSpec::Kind::ListBox && code == LBN_DBLCLK)
        event.action = WindowEvent::Action::DoubleClick;
    else
        return;
    Report(event);
}

// Events raised while the program is busy or a dialog of ours is open are not the user's
// answer to anything the program shows; a close request is kept for later.
void Win32Window::Report(WindowEvent event) {
    if (m_busy || m_modal) {
        if (event.kind == WindowEvent::Kind::Close)
            m_closeDeferred = true;
        return;
    }
    m_event = event;
}

WindowEvent Win32Window::WaitEvent() {
    if (!m_window || std::exchange(m_closeDeferred, false)) {
        WindowEvent close{WindowEvent::Kind::Close, -1, WindowEvent::Action::None};
        close.ending = m_ending;  // no credits: nobody may be there to dismiss them
        return close;
    }
    if (std::exchange(m_turnOwed, false))
        return {};
    // Cleared before the wait: messages sent to the window are handled inside it, and a click
    // sent that way is an event too.
    m_event.reset();
    ResumePainting();
    MSG message{};
    if (::GetMessageW(&message, nullptr, 0, 0) <= 0)
        return {WindowEvent::Kind::Close, -1, WindowEvent::Action::None};
    // Tab and Shift+Tab move the focus between the controls, as in a dialog.
    if (!m_window || !::IsDialogMessageW(m_window, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    const WindowEvent event = std::exchange(m_event, std::nullopt).value_or(WindowEvent{});
    m_turnOwed = event.kind == WindowEvent::Kind::Control;
    return event;
}

std::string Win32Window::ChooseFolder(std::string_view title, std::string_view initialFolder) {
    ResumePainting();
    m_modal = true;
    std::string chosen = win32::BrowseForFolder(m_window ? m_window : ::GetForegroundWindow(), title, initialFolder);
    m_modal = false;
    return chosen;
}

void Win32Window::ShowMessage(std::string_view caption, std::string_view text) {
    ResumePainting();
    m_modal = true;
    // Once the main window is gone, the box belongs to whatever is in the foreground.
    ::MessageBoxW(m_window ? m_window : ::GetForegroundWindow(), Widen(text).c_str(), Widen(caption).c_str(), MB_OK);
    m_modal = false;
}

// A list of a million lines takes seconds to fill under Wine. Once the filling has taken a while,
// the window gets its turns as during long work, and the fill becomes work if it was none: input
// meanwhile is dropped, never acted on later. Whenever another program asks, the list holds the
// first of the new lines, its count and texts agreeing, and none of the lines before.
void Win32Window::SetLines(int id, TextLines lines) {
    HWND list = ListBox(id);
    if (!list)
        return;
    using Clock = std::chrono::steady_clock;
    std::erase(m_paintingHeld, list);  // its painting is this fill's to switch now
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    // The list box takes its memory once and is not painted after every line.
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_INITSTORAGE, lines.Size(), static_cast<LPARAM>(lines.Bytes() * sizeof(wchar_t)));
    bool ownWork = false;
    Clock::time_point nextTurn = Clock::now() + kFillTurnInterval;
    Clock::time_point nextListPaint{};
    std::wstring line;
    for (std::size_t i = 0; i < lines.Size(); ++i) {
        win32::WidenInto(line, lines[i]);
        ::SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(line.c_str()));
        if ((i + 1) % kLinesPerLook != 0 || Clock::now() < nextTurn)
            continue;
        if (!m_busy) {
            BeginWork();
            ownWork = true;
        }
        TurnWhileFilling(list, nextListPaint);
        nextTurn = Clock::now() + kFillTurnInterval;
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    if (ownWork)
        EndWork();
}

// While its painting is off, the list box drops what it is asked to paint; so it is painted whole,
// with the lines it has, in the turn that switches its painting on.
void Win32Window::TurnWhileFilling(HWND list, std::chrono::steady_clock::time_point& nextListPaint) {
    const auto now = std::chrono::steady_clock::now();
    const bool painting = now >= nextListPaint;
    if (painting) {
        nextListPaint = now + kFillPaintInterval;
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(list, nullptr, TRUE);
        m_nextPaint = {};
    }
    KeepAlive();
    if (painting)
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
}

void Win32Window::BeginWork() {
    m_busy = true;
    m_nextPaint = {};
    // A button or list box still tracking the mouse would act on the release after the work.
    if (HWND captured = ::GetCapture(); captured && m_window && (captured == m_window || ::IsChild(m_window, captured)))
        ::ReleaseCapture();
}

// Each call catches up on everything queued meanwhile and answers the messages other programs
// sent (a screen reader's WM_GETOBJECT, LB_GETTEXT, PBM_GETPOS); only painting waits for its turn.
void Win32Window::KeepAlive() {
    if (!m_busy)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now < m_nextPaint) {
        PumpWhileBusy(Painting::Later);
        return;
    }
    m_nextPaint = now + kPaintInterval;
    PumpWhileBusy();
}

void Win32Window::EndWork() {
    if (!m_busy)
        return;
    PumpWhileBusy();  // input that came during the work goes now, unseen
    m_busy = false;
}

void Win32Window::PumpWhileBusy(Painting painting) {
    ResumePainting();
    // Without a filter PeekMessage returns every kind; sent messages are answered either way.
    const UINT which = painting == Painting::Now ? 0 : PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | which)) {
        switch (win32::ClassifyWhileBusy(message)) {
        case win32::WhileBusy::Discard: break;
        case win32::WhileBusy::Defer: m_closeDeferred = true; break;
        case win32::WhileBusy::Dispatch:
            ::TranslateMessage(&message);  // Alt+Space opens the system menu
            ::DispatchMessageW(&message);
            break;
        }
    }
}

void Win32Window::ShowProgressBar(bool shown) {
    const ControlSpec* place = Spec(ctl::kSearch);
    if (!m_window || !place || shown == (m_progress != nullptr))
        return;
    if (shown) {
        ::ShowWindow(Control(ctl::kSearch), SW_HIDE);
        m_progress = win32::CreateProgressBar(m_window, ctl::kProgress, *place);
        if (m_progress)
            ::UpdateWindow(m_progress);  // seen at once, even if the work ends before the next look
    } else {
        ::DestroyWindow(std::exchange(m_progress, nullptr));
        ::ShowWindow(Control(ctl::kSearch), SW_SHOW);
    }
}

void Win32Window::Close() {
    m_paintingHeld.clear();
    if (m_window)
        ::DestroyWindow(m_window);
    m_window = nullptr;
    m_progress = nullptr;
    if (m_classRegistered)
        ::UnregisterClassW(kClassName, ::GetModuleHandleW(nullptr));
    m_classRegistered = false;
    if (m_background)
        ::DeleteObject(m_background);
    m_background = nullptr;
}

}  // namespace

std::unique_ptr<Window> MakeWin32Window(std::string_view title, std::span<const ControlSpec> controls) {
    ::InitCommonControls();
    auto window = std::make_unique<Win32Window>(controls);
    if (!window->Open(title))
        return nullptr;
    return window;
}

}  // namespace zwf
