#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/Layout.h"
#include "platform/win32/Win32Window.h"
#include "platform/win32/MessageFilter.h"
#include "platform/win32/Utf16.h"
#include "tests/support/WindowContract.h"

namespace zwf {
namespace {

using win32::Narrow;
using win32::Widen;
using test::WindowContract;
using Kind = WindowEvent::Kind;

constexpr wchar_t kMainClass[] = L"Zwillingsfeger.Hauptfenster";

// Posts a left click at the middle of a list box line (the list is scrolled to its top).
void PostLineClick(HWND list, int line, UINT down = WM_LBUTTONDOWN) {
    const int height = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const LPARAM point = MAKELPARAM(5, line * height + height / 2);
    ::PostMessageW(list, down, MK_LBUTTON, point);
    ::PostMessageW(list, WM_LBUTTONUP, 0, point);
}

std::wstring TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

// The user's input arrives as the messages the system would post for it.
class Win32Driver final : public test::WindowDriver {
public:
    Win32Driver() : m_window(MakeWin32Window(texts::kWindowTitle, kControls)) {
        if (m_window)
            m_main = ::FindWindowW(kMainClass, nullptr);
    }
    bool IsMade() const { return m_window && m_main; }
    HWND Main() const { return m_main; }

    Window& Get() override { return *m_window; }
    std::vector<std::string> Lines(int id) override {
        std::vector<std::string> lines;
        HWND list = Item(id);
        const int count = list ? static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) {
            std::wstring line(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            line.resize(static_cast<std::size_t>(
                ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
            lines.push_back(Narrow(line));
        }
        return lines;
    }
    std::string Text(int id) override { return Narrow(TextOf(Item(id))); }
    bool IsEnabled(int id) override { return Item(id) && ::IsWindowEnabled(Item(id)); }
    bool IsVisible(int id) override { return Item(id) && ::IsWindowVisible(Item(id)); }
    int ProgressPosition() override {
        HWND bar = Item(ctl::kProgress);
        return bar ? static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0)) : -1;
    }
    bool IsOpen() override { return ::IsWindow(m_main); }

    void ClickButton(int id) override { ::PostMessageW(Item(id), BM_CLICK, 0, 0); }
    void ClickLine(int id, int line) override { PostLineClick(Item(id), line); }
    void DoubleClickLine(int id, int line) override {
        PostLineClick(Item(id), line);
        PostLineClick(Item(id), line, WM_LBUTTONDBLCLK);
    }
    // What each of the user's ways becomes in the window's queue: a click on the close box and
    // the system menu's "Close" a system command, Alt+F4 the key with Alt held.
    void RequestClose(CloseWay way) override {
        constexpr LPARAM kAltHeld = 1 << 29;
        switch (way) {
        case CloseWay::CloseBox:
            ::PostMessageW(m_main, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(kClientWidth - 8, 8));
            break;
        case CloseWay::Keyboard:
            ::PostMessageW(m_main, WM_SYSKEYDOWN, VK_F4, 1 | kAltHeld);
            break;
        case CloseWay::SystemMenu:
            ::PostMessageW(m_main, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
    }

    // A message for no window, posted behind everything queued: once a wait has taken it, the
    // window would wait for the user next.
    std::vector<WindowEvent> EventsUntilIdle() override {
        constexpr UINT kMarker = WM_APP + 12;
        const auto markerQueued = [] {
            MSG marker{};
            return ::PeekMessageW(&marker, nullptr, kMarker, kMarker, PM_NOREMOVE) != FALSE;
        };
        ::PostThreadMessageW(::GetCurrentThreadId(), kMarker, 0, 0);
        std::vector<WindowEvent> events;
        while (IsOpen() && markerQueued() && events.size() < 1000)
            events.push_back(m_window->WaitEvent());
        if (!markerQueued() && !events.empty())
            events.pop_back();  // the wait that took the marker
        for (MSG marker{}; ::PeekMessageW(&marker, nullptr, kMarker, kMarker, PM_REMOVE);) {
        }
        return events;
    }

private:
    HWND Item(int id) const { return IsWindow(m_main) ? ::GetDlgItem(m_main, id) : nullptr; }

    std::unique_ptr<Window> m_window;
    HWND m_main = nullptr;
};

std::unique_ptr<test::WindowDriver> MakeWin32Driver() {
    auto driver = std::make_unique<Win32Driver>();
    return driver->IsMade() ? std::move(driver) : nullptr;
}
INSTANTIATE_TEST_SUITE_P(Win32, WindowContract,
                         testing::Values(test::WindowUnderTest{"Win32", &MakeWin32Driver}),
                         test::WindowUnderTestName);

class Win32WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(driver.IsMade());
        window = &driver.Get();
        main = driver.Main();
        ASSERT_EQ(window->WaitEvent().kind, Kind::Other) << "the turn owed right after start";
    }

    HWND Item(int id) const { return ::GetDlgItem(main, id); }

    // Hands the window one message and returns what the waits made of it.
    WindowEvent After(HWND target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        ::PostMessageW(target, message, wParam, lParam);
        return Drain();
    }
    // Waits for everything queued; returns the last event that was not Other.
    WindowEvent Drain() {
        WindowEvent seen{};
        for (const WindowEvent& event : driver.EventsUntilIdle())
            if (event.kind != Kind::Other)
                seen = event;
        return seen;
    }
    void ClickLine(int id, int line) { PostLineClick(Item(id), line); }

    Win32Driver driver;
    Window* window = nullptr;
    HWND main = nullptr;
};

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

TEST_F(Win32WindowTest, MainWindowHasTheFixedFrameAndIsCentred) {
    EXPECT_EQ(TextOf(main), L"Zwillingsfeger");
    const LONG style = ::GetWindowLongW(main, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_VISIBLE), WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_EQ(::GetWindowLongW(main, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    RECT client{};
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 300);
    RECT outer{};
    ::GetWindowRect(main, &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, ::GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2);
    EXPECT_EQ(outer.top, ::GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), kMainClass, &cls));
    EXPECT_EQ(cls.style, 0u);
    EXPECT_EQ(cls.hCursor, ::LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(Win32WindowTest, EveryControlHasItsClassStyleIdPlaceTextAndFont) {
    const HGDIOBJ font = ::GetStockObject(ANSI_VAR_FONT);
    for (const ControlSpec& spec : kControls) {
        SCOPED_TRACE(spec.id);
        HWND control = Item(spec.id);
        ASSERT_TRUE(control);
        EXPECT_EQ(::GetDlgCtrlID(control), spec.id);
        RECT place{};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, spec.x);
        EXPECT_EQ(place.top, spec.y);
        EXPECT_EQ(place.right - place.left, spec.width);
        EXPECT_EQ(place.bottom - place.top, spec.height);
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)), font);
        const DWORD style = static_cast<DWORD>(::GetWindowLongW(control, GWL_STYLE));
        const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(control, GWL_EXSTYLE));
        switch (spec.kind) {
        case ControlSpec::Kind::Button:
            EXPECT_EQ(_wcsicmp(ClassName(control).c_str(), L"Button"), 0);
            EXPECT_EQ(style, 0x50030000u);
            EXPECT_EQ(TextOf(control), Widen(spec.text));
            break;
        case ControlSpec::Kind::Label:
            EXPECT_EQ(_wcsicmp(ClassName(control).c_str(), L"Static"), 0);
            EXPECT_EQ(style, 0x50020000u);
            EXPECT_EQ(TextOf(control), Widen(spec.text));
            break;
        case ControlSpec::Kind::ListBox:
            EXPECT_EQ(_wcsicmp(ClassName(control).c_str(), L"ListBox"), 0);
            EXPECT_EQ(style & ~(WS_VSCROLL | WS_HSCROLL), 0x50330141u & ~(WS_VSCROLL | WS_HSCROLL));
            EXPECT_EQ(exStyle & WS_EX_CLIENTEDGE, static_cast<DWORD>(WS_EX_CLIENTEDGE));
            break;
        }
    }
    EXPECT_EQ(TextOf(Item(ctl::kDeleteMarked)), L"L\u00F6sche markierte Datei");
}

// Labels raise nothing, and neither do the keyboard interface's OK and Cancel commands.
TEST_F(Win32WindowTest, CommandsThatAreNoUserInputOnAControlRaiseNoEvent) {
    EXPECT_EQ(After(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0).kind, Kind::Other);
    EXPECT_EQ(After(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0).kind, Kind::Other);
    EXPECT_EQ(After(main, WM_COMMAND, MAKEWPARAM(ctl::kAllFilesLabel, STN_CLICKED),
                    reinterpret_cast<LPARAM>(Item(ctl::kAllFilesLabel))).kind, Kind::Other);
    // A command naming a control that did not send it.
    EXPECT_EQ(After(main, WM_COMMAND, MAKEWPARAM(ctl::kSearch, BN_CLICKED), 0).kind, Kind::Other);
    EXPECT_EQ(After(Item(ctl::kSearch), BM_CLICK).kind, Kind::Control);
}

TEST_F(Win32WindowTest, CloseReleasesTheWindowClass) {
    window->Close();
    EXPECT_FALSE(::IsWindow(main));
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    EXPECT_FALSE(::GetClassInfoExW(::GetModuleHandleW(nullptr), kMainClass, &cls));
}

TEST_F(Win32WindowTest, AWindowThatCannotBeMadeIsNoneAndLeavesTheFirstIntact) {
    EXPECT_EQ(MakeWin32Window(texts::kWindowTitle, kControls), nullptr);  // the class is taken
    EXPECT_TRUE(::IsWindow(main));
    window->AppendLine(ctl::kAllFilesList, "a");
    EXPECT_EQ(window->LineCount(ctl::kAllFilesList), 1);
    EXPECT_EQ(After(main, WM_CLOSE).kind, Kind::Close);
}

TEST_F(Win32WindowTest, TabMovesTheFocusInCreationOrderSkippingLabelsAndDisabledControls) {
    window->Enable(ctl::kReset, false);
    window->Enable(ctl::kSearch, false);
    ::SetFocus(Item(ctl::kAddFolder));
    const int expected[] = {ctl::kAllFilesList, ctl::kGroupList, ctl::kMemberList, ctl::kDeleteMarked,
                            ctl::kDeleteGroup, ctl::kAddFolder};
    for (int id : expected) {
        After(::GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), id);
    }
}

TEST_F(Win32WindowTest, ShiftTabMovesTheFocusBackwards) {
    ::SetFocus(Item(ctl::kAddFolder));
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;  // held down, as far as this thread's key state goes
    ::SetKeyboardState(keys);
    const int expected[] = {ctl::kDeleteGroup, ctl::kDeleteMarked, ctl::kMemberList, ctl::kGroupList,
                            ctl::kSearch, ctl::kReset, ctl::kAllFilesList, ctl::kAddFolder};
    for (int id : expected) {
        After(::GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), id);
    }
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
}

// During work the window paints and the frame stays the user's; the controls take nothing.
TEST_F(Win32WindowTest, DuringWorkTheWindowPaintsAndOnlyTheFrameTakesInput) {
    window->BeginWork();
    ::InvalidateRect(Item(ctl::kAllFilesList), nullptr, TRUE);
    window->KeepAlive();  // the first call paints at once
    EXPECT_FALSE(::GetUpdateRect(Item(ctl::kAllFilesList), nullptr, FALSE)) << "not painted while busy";
    ::InvalidateRect(Item(ctl::kAllFilesList), nullptr, TRUE);
    window->EndWork();
    EXPECT_FALSE(::GetUpdateRect(Item(ctl::kAllFilesList), nullptr, FALSE)) << "not painted as the work ended";
    using win32::WhileBusy;
    const struct {
        UINT message;
        WPARAM wParam;
        WhileBusy expected;
    } cases[] = {
        {WM_LBUTTONDOWN, 0, WhileBusy::Discard},       {WM_KEYDOWN, VK_SPACE, WhileBusy::Discard},
        {BM_CLICK, 0, WhileBusy::Discard},             {WM_COMMAND, ctl::kReset, WhileBusy::Discard},
        {WM_NCLBUTTONDOWN, HTCAPTION, WhileBusy::Dispatch},  // moving the window
        {WM_NCLBUTTONDOWN, HTCLOSE, WhileBusy::Dispatch},    {WM_SYSKEYDOWN, VK_F4, WhileBusy::Dispatch},
        {WM_SYSCOMMAND, SC_MOVE, WhileBusy::Dispatch}, {WM_CLOSE, 0, WhileBusy::Defer},
    };
    for (const auto& c : cases) {
        const MSG message{main, c.message, c.wParam, 0, 0, {}};
        EXPECT_EQ(win32::ClassifyWhileBusy(message), c.expected) << "message " << c.message;
    }
}

// Lines appended one by one reach the scroll bar, and are painted, once the window next handles
// its messages (Wine would update the list after every line, milliseconds each).
TEST_F(Win32WindowTest, LinesAppendedOneByOneReachTheScrollBarByTheNextWait) {
    for (int i = 0; i < 200; ++i)
        window->AppendLine(ctl::kMemberList, "Zeile " + std::to_string(i));
    Drain();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE;
    ASSERT_TRUE(::GetScrollInfo(Item(ctl::kMemberList), SB_VERT, &info));
    EXPECT_EQ(info.nMax, 199);
}

// Filling a long list, the window answers another thread's questions while only part of the lines
// are in, every answer agreeing with the new lines; a click that came meanwhile is dropped, as
// during work, even though the fill was no work of the program's.
TEST_F(Win32WindowTest, ALongFillAnswersQuestionsMeanwhileAndDropsTheInput) {
    constexpr int kLines = 100000;
    HWND list = Item(ctl::kAllFilesList);
    window->AppendLine(ctl::kAllFilesList, "alt");
    window->AppendLine(ctl::kGroupList, "a");
    window->AppendLine(ctl::kGroupList, "b");
    TextLines lines;
    for (int i = 0; i < kLines; ++i)
        lines.Append("z" + std::to_string(i));
    std::atomic<bool> stop{false}, done{false};
    std::vector<std::pair<int, std::wstring>> answers;  // the count, and the text of the last line
    std::thread asker([&] {
        while (!stop) {
            DWORD_PTR count = 0;
            wchar_t text[32] = {};
            DWORD_PTR length = 0;
            if (::SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count) && count > 0 &&
                ::SendMessageTimeoutW(list, LB_GETTEXTLEN, count - 1, 0, SMTO_NORMAL, 5000, &length) &&
                length < 32 &&
                ::SendMessageTimeoutW(list, LB_GETTEXT, count - 1, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                                      5000, &length))
                answers.emplace_back(static_cast<int>(count), text);
            ::Sleep(1);
        }
        done = true;
    });
    ClickLine(ctl::kGroupList, 1);
    window->SetLines(ctl::kAllFilesList, lines);
    stop = true;
    for (MSG message{}; !done; ::Sleep(1))  // its last question may wait for an answer
        ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    asker.join();
    int partial = 0;
    for (const auto& [count, text] : answers) {
        // A fill that began between the two questions leaves the line its place's new one.
        EXPECT_TRUE(text == L"z" + std::to_wstring(count - 1) || (count == 1 && text == L"alt"))
            << count << " lines, the last " << Narrow(text);
        partial += count > 1 && count < kLines;
    }
    EXPECT_GT(partial, 0) << "no answer came while the list was filling";
    EXPECT_EQ(window->LineCount(ctl::kAllFilesList), kLines);
    EXPECT_EQ(Drain().kind, Kind::Other);
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), -1);
}

TEST_F(Win32WindowTest, ProgressBarIsASmoothCommonControlInTheSearchButtonsPlace) {
    window->ShowProgressBar(true);
    HWND bar = Item(ctl::kProgress);
    ASSERT_TRUE(bar);
    EXPECT_EQ(_wcsicmp(ClassName(bar).c_str(), L"msctls_progress32"), 0);
    EXPECT_TRUE(::GetWindowLongW(bar, GWL_STYLE) & PBS_SMOOTH);
    RECT place{};
    ::GetWindowRect(bar, &place);
    ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, 200);
    EXPECT_EQ(place.top, 0);
    EXPECT_EQ(place.right, 598);
    EXPECT_EQ(place.bottom, 24);
    EXPECT_EQ(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
    window->ShowProgressBar(false);
    EXPECT_FALSE(Item(ctl::kProgress)) << "the bar is gone, not just hidden";
}

}  // namespace
}  // namespace zwf
