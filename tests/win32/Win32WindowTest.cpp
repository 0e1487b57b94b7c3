#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/Layout.h"
#include "platform/win32/Win32Window.h"
#include "platform/win32/Utf16.h"

namespace zwf {
namespace {

using win32::Widen;
using Kind = WindowEvent::Kind;
using Action = WindowEvent::Action;

class Win32WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = MakeWin32Window(texts::kWindowTitle, kControls);
        ASSERT_TRUE(window);
        main = ::FindWindowW(L"Zwillingsfeger.Hauptfenster", nullptr);
        ASSERT_TRUE(main);
        // The turn the window asks for right after start.
        Drain();
    }

    HWND Item(int id) const { return ::GetDlgItem(main, id); }

    // Hands the window one message and returns what the waits made of it.
    WindowEvent After(HWND target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        ::PostMessageW(target, message, wParam, lParam);
        return Drain();
    }
    // Waits for every message that is queued; returns the last event that was not Other.
    WindowEvent Drain() {
        WindowEvent seen{};
        MSG next{};
        for (int turns = 0; turns < 100 && ::PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE); ++turns) {
            WindowEvent event = window->WaitEvent();
            if (event.kind != Kind::Other)
                seen = event;
        }
        return seen;
    }
    void ClickLine(int id, int line) {
        HWND list = Item(id);
        const int height = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        const LPARAM point = MAKELPARAM(5, line * height + height / 2);
        ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::PostMessageW(list, WM_LBUTTONUP, 0, point);
    }

    std::unique_ptr<Window> window;
    HWND main = nullptr;
};

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
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
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"Zwillingsfeger.Hauptfenster", &cls));
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

TEST_F(Win32WindowTest, ListOperationsKeepOrderAndIgnoreIndicesOutsideTheLines) {
    const int list = ctl::kGroupList;
    window->AppendLine(list, "2: b.txt, b.txt");
    window->AppendLine(list, "2: a.txt, a.txt");
    window->AppendLine(list, "");
    EXPECT_EQ(window->LineCount(list), 3);
    wchar_t line[64] = {};
    ::SendMessageW(Item(list), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_STREQ(line, L"2: b.txt, b.txt");
    EXPECT_EQ(window->SelectedLine(list), -1);
    window->SelectLine(list, 1);
    EXPECT_EQ(window->SelectedLine(list), 1);
    window->SelectLine(list, 7);
    EXPECT_EQ(window->SelectedLine(list), -1);
    window->RemoveLine(list, -1);
    window->RemoveLine(list, 3);
    EXPECT_EQ(window->LineCount(list), 3);
    window->SelectLine(list, 0);
    window->RemoveLine(list, 0);
    EXPECT_EQ(window->LineCount(list), 2);
    EXPECT_EQ(window->SelectedLine(list), -1);
    window->Empty(list);
    EXPECT_EQ(window->LineCount(list), 0);
    // Operations that do not fit a control's kind do nothing.
    window->AppendLine(ctl::kAllFilesLabel, "x");
    EXPECT_EQ(window->LineCount(ctl::kAllFilesLabel), 0);
    EXPECT_EQ(window->SelectedLine(ctl::kSearch), 0);
    window->SetText(ctl::kAllFilesLabel, "Alle Dateien (3)");
    EXPECT_EQ(TextOf(Item(ctl::kAllFilesLabel)), L"Alle Dateien (3)");
    window->Enable(ctl::kReset, false);
    EXPECT_FALSE(::IsWindowEnabled(Item(ctl::kReset)));
    window->Enable(ctl::kReset, true);
    EXPECT_TRUE(::IsWindowEnabled(Item(ctl::kReset)));
}

TEST_F(Win32WindowTest, UsersClicksAndSelectionsAreEventsButTheProgramsSelectionsAreNot) {
    WindowEvent click = After(Item(ctl::kSearch), BM_CLICK);
    EXPECT_EQ(click.kind, Kind::Control);
    EXPECT_EQ(click.control, ctl::kSearch);
    EXPECT_EQ(click.action, Action::Click);

    window->AppendLine(ctl::kGroupList, "eins");
    window->AppendLine(ctl::kGroupList, "zwei");
    window->SelectLine(ctl::kGroupList, 0);
    EXPECT_EQ(Drain().kind, Kind::Other);

    ClickLine(ctl::kGroupList, 1);
    WindowEvent selected = Drain();
    EXPECT_EQ(selected.control, ctl::kGroupList);
    EXPECT_EQ(selected.action, Action::SelectionChange);
    EXPECT_EQ(window->SelectedLine(ctl::kGroupList), 1);

    WindowEvent twice = After(Item(ctl::kGroupList), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(twice.action, Action::DoubleClick);
    // Labels raise nothing, and neither do the keyboard interface's OK and Cancel commands.
    EXPECT_EQ(After(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0).kind, Kind::Other);
    EXPECT_EQ(After(main, WM_COMMAND, MAKEWPARAM(ctl::kAllFilesLabel, STN_CLICKED),
                    reinterpret_cast<LPARAM>(Item(ctl::kAllFilesLabel))).kind, Kind::Other);
}

TEST_F(Win32WindowTest, CloseRequestIsAnEventAndLeavesTheWindowUntilClose) {
    EXPECT_EQ(After(main, WM_CLOSE).kind, Kind::Close);
    EXPECT_TRUE(::IsWindow(main));
    window->Close();
    EXPECT_FALSE(::IsWindow(main));
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    EXPECT_FALSE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"Zwillingsfeger.Hauptfenster", &cls));
    window->Enable(ctl::kSearch, false);  // harmless once the window is gone
    EXPECT_EQ(window->LineCount(ctl::kGroupList), 0);
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

TEST_F(Win32WindowTest, InputDuringWorkIsDroppedAndACloseRequestWaits) {
    window->AppendLine(ctl::kAllFilesList, "a");
    window->AppendLine(ctl::kAllFilesList, "b");
    window->BeginWork();
    ::PostMessageW(Item(ctl::kSearch), BM_CLICK, 0, 0);
    ClickLine(ctl::kAllFilesList, 1);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    ::Sleep(20);
    window->KeepAlive();
    ::PostMessageW(Item(ctl::kReset), BM_CLICK, 0, 0);
    window->EndWork();
    EXPECT_EQ(window->SelectedLine(ctl::kAllFilesList), -1);
    EXPECT_EQ(window->WaitEvent().kind, Kind::Close);
    EXPECT_EQ(Drain().kind, Kind::Other) << "no click is replayed after the work";
}

TEST_F(Win32WindowTest, ProgressBarStandsInTheSearchButtonsPlace) {
    window->ShowProgressBar(true);
    HWND bar = Item(ctl::kProgress);
    ASSERT_TRUE(bar);
    EXPECT_FALSE(::IsWindowVisible(Item(ctl::kSearch)));
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
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
    window->SetProgress(42);
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 42);
    window->ShowProgressBar(false);
    EXPECT_FALSE(Item(ctl::kProgress));
    EXPECT_TRUE(::IsWindowVisible(Item(ctl::kSearch)));
}

}  // namespace
}  // namespace zwf
