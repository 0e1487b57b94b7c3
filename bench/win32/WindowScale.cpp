// The Windows window at scale: adds the folders given through a scripted folder dialog, then
// searches once, and prints how long each took from the click until the window waited for the
// user again, and how long a question from another thread waited at most from the click until a
// second after that. The questions (WM_GETTEXT to a label, by SendMessageTimeout, one every 5 ms)
// are answered when the window's thread next handles its messages, as a screen reader's are.
// The program's window and commands are the real ones; only the folder dialog and the message
// boxes are scripted (a message other than the credits is printed).
//   WindowScale.exe FOLDER...   (under Wine: bench/scale_wine.sh)
// With ZWF_SCALE_TRACE set, each wait of more than 50 ms goes to stderr, with when it was asked,
// and so do the program's own pauses of more than 40 ms during work (the time from one KeepAlive
// to the next, and a KeepAlive or a SetLines that took that long).
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Layout.h"
#include "app/Run.h"
#include "app/Texts.h"
#include "platform/FileSystem.h"
#include "platform/win32/Utf16.h"
#include "platform/win32/Win32Window.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;
const Clock::time_point g_start = Clock::now();  // the times traced count from here

// Asks the label one question after another and keeps the longest wait since the last Take.
class Asker {
public:
    explicit Asker(HWND label) : m_label(label), m_thread([this] { Run(); }) {}
    ~Asker() {
        m_stop = true;
        m_thread.join();
    }
    double Take() { return m_longest.exchange(0); }

private:
    void Run() {
        while (!m_stop) {
            wchar_t text[64];
            DWORD_PTR result = 0;
            const Clock::time_point asked = Clock::now();
            if (!::SendMessageTimeoutW(m_label, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 600000,
                                       &result))
                return;  // the window is gone
            const double waited = Milliseconds(Clock::now() - asked).count();
            if (waited > 50 && m_trace)
                std::fprintf(stderr, "waited %.0f ms from %.0f ms\n", waited, Milliseconds(asked - g_start).count());
            double longest = m_longest.load();
            while (waited > longest && !m_longest.compare_exchange_weak(longest, waited)) {
            }
            ::Sleep(5);
        }
    }

    HWND m_label;
    const bool m_trace = std::getenv("ZWF_SCALE_TRACE") != nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<double> m_longest{0};
    std::thread m_thread;
};

// The real window, with the folder dialog answering the folders given in turn and the message
// boxes printed; each wait tells the script where the program is.
class ScriptedWindow final : public zwf::Window {
public:
    ScriptedWindow(zwf::Window& window, std::vector<std::string> folders)
        : m_window(window), m_folders(std::move(folders)),
          m_main(::FindWindowW(L"Zwillingsfeger.Hauptfenster", nullptr)) {}
    ~ScriptedWindow() override {
        if (m_clicker.joinable())
            m_clicker.join();
    }

    void Enable(int id, bool enabled) override { m_window.Enable(id, enabled); }
    int LineCount(int id) override { return m_window.LineCount(id); }
    int SelectedLine(int id) override { return m_window.SelectedLine(id); }
    void SelectLine(int id, int index) override { m_window.SelectLine(id, index); }
    void RemoveLine(int id, int index) override { m_window.RemoveLine(id, index); }
    void AppendLine(int id, std::string_view text) override { m_window.AppendLine(id, text); }
    void Empty(int id) override { m_window.Empty(id); }
    void SetLines(int id, zwf::TextLines lines) override {
        const std::size_t count = lines.Size();
        Paused("SetLines");
        Timed(
            "SetLines", [&] { m_window.SetLines(id, std::move(lines)); }, count);
        m_lastAlive = Clock::now();  // it keeps the window alive itself
    }
    void SetText(int id, std::string_view text) override { m_window.SetText(id, text); }
    std::string ChooseFolder(std::string_view, std::string_view) override {
        return m_added < m_folders.size() ? m_folders[m_added++] : std::string();
    }
    void ShowMessage(std::string_view caption, std::string_view text) override {
        if (caption != zwf::texts::kCreditsCaption)
            std::printf("message: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    void BeginWork() override {
        m_window.BeginWork();
        m_working = true;
        m_lastAlive = Clock::now();
    }
    void KeepAlive() override {
        Paused("KeepAlive");
        Timed("KeepAlive", [&] { m_window.KeepAlive(); });
        m_lastAlive = Clock::now();
    }
    void EndWork() override {
        Paused("EndWork");
        m_working = false;
        m_window.EndWork();
    }
    void ShowProgressBar(bool shown) override { m_window.ShowProgressBar(shown); }
    void SetProgress(int percent) override { m_window.SetProgress(percent); }
    std::chrono::milliseconds DoubleClickTime() override { return m_window.DoubleClickTime(); }
    void Close() override { m_window.Close(); }

    // The first wait starts the script; the first wait after a command the program was given is
    // the end of that command, and the next step follows a second later, the window idle meanwhile.
    zwf::WindowEvent WaitEvent() override {
        if (!m_asker) {
            m_asker = std::make_unique<Asker>(::GetDlgItem(m_main, zwf::ctl::kAllFilesLabel));
            Next();
        } else if (m_commanded) {
            m_commanded = false;
            m_took = Milliseconds(Clock::now() - m_clicked).count();
            if (m_clicker.joinable())
                m_clicker.join();
            m_clicker = std::thread([this] {
                ::Sleep(1000);
                m_woken = true;
                ::PostMessageW(m_main, WM_APP, 0, 0);  // ends the wait below
            });
        }
        const zwf::WindowEvent event = m_window.WaitEvent();
        if (event.kind == zwf::WindowEvent::Kind::Control && event.control == m_clickedId)
            m_commanded = true;
        else if (event.kind == zwf::WindowEvent::Kind::Other && m_woken.exchange(false))
            Next();
        return event;
    }

private:
    static constexpr auto kLongPause = std::chrono::milliseconds(40);

    // The window handled nothing since the last KeepAlive during work.
    void Paused(const char* until) {
        const Clock::time_point now = Clock::now();
        if (m_trace && m_working && now - m_lastAlive > kLongPause)
            std::fprintf(stderr, "no KeepAlive for %.0f ms from %.0f ms until %s\n",
                         Milliseconds(now - m_lastAlive).count(), Milliseconds(m_lastAlive - g_start).count(), until);
    }

    template <class Call>
    void Timed(const char* what, Call call, std::size_t lines = 0) {
        const Clock::time_point start = Clock::now();
        call();
        const Clock::duration took = Clock::now() - start;
        if (m_trace && took > kLongPause)
            std::fprintf(stderr, "%s %zu took %.0f ms from %.0f ms\n", what, lines, Milliseconds(took).count(),
                         Milliseconds(start - g_start).count());
    }

    // A step's longest answer counts until the next click: what the window does once it is idle
    // again (painting a list of a million lines) is part of the step.
    void Report(const char* what) {
        std::printf("%s %.0f ms, longest answer %.1f ms\n", what, m_took, m_asker->Take());
        std::fflush(stdout);
    }
    void Click(int id) {
        m_asker->Take();
        if (m_trace)
            std::fprintf(stderr, "click at %.0f ms\n", Milliseconds(Clock::now() - g_start).count());
        m_clickedId = id;
        m_clicked = Clock::now();
        ::PostMessageW(::GetDlgItem(m_main, id), BM_CLICK, 0, 0);
    }
    void Next() {
        if (m_step > 0 && m_step <= m_folders.size())
            Report("add");
        if (m_step < m_folders.size()) {
            Click(zwf::ctl::kAddFolder);
        } else if (m_step == m_folders.size()) {
            Click(zwf::ctl::kSearch);
        } else {
            Report("search");
            m_clickedId = -1;
            ::PostMessageW(m_main, WM_CLOSE, 0, 0);
        }
        ++m_step;
    }

    zwf::Window& m_window;
    std::vector<std::string> m_folders;
    HWND m_main;
    std::size_t m_added = 0;
    std::size_t m_step = 0;
    std::unique_ptr<Asker> m_asker;
    int m_clickedId = -1;
    bool m_commanded = false;
    Clock::time_point m_clicked{};
    double m_took = 0;
    std::thread m_clicker;
    std::atomic<bool> m_woken{false};
    const bool m_trace = std::getenv("ZWF_SCALE_TRACE") != nullptr;
    bool m_working = false;
    Clock::time_point m_lastAlive{};
};

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> folders;
    for (int i = 1; i < count; ++i)
        folders.push_back(zwf::win32::Narrow(arguments[i]));
    ::LocalFree(arguments);
    if (folders.empty()) {
        std::printf("usage: WindowScale FOLDER...\n");
        return 2;
    }
    auto window = zwf::MakeWin32Window(zwf::texts::kWindowTitle, zwf::kControls);
    if (!window)
        return 1;
    ScriptedWindow scripted(*window, folders);
    auto fileSystem = zwf::MakeNativeFileSystem();
    return zwf::Run(scripted, *fileSystem);
}
