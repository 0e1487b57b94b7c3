// How long the Win32 window is held while a list box is filled with N lines ("s0000123.bin (37)"):
// through SetLines, once outside work and once inside it (as the add and the search fill their
// lists), and line by line (Empty, then AppendLine for each, as the member list is filled) for at
// most the first 2,000 lines.
// While SetLines runs, a second thread asks the list what a screen reader asks, one question
// after the other with 5 ms between: its count, then the text of its last line. It prints the
// longest answer, how many answers came while only part of the lines were in, and how many
// answers were inconsistent: a line that is not the one of its place, or an old line once a new
// one was seen (before each fill the list holds 1,000 lines of another kind).
//   ListFill.exe [LINES]   (default 200,000; under Wine: bench/list_fill_wine.sh)
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/Layout.h"
#include "app/Texts.h"
#include "platform/win32/Win32Window.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr long kOldLines = 1000;

void NewLine(char* out, std::size_t size, long i) { std::snprintf(out, size, "s%07ld.bin (%ld)", i, 1 + i % 64); }
void OldLine(char* out, std::size_t size, long i) { std::snprintf(out, size, "alt %ld", i); }

zwf::TextLines Lines(long count, void (*line)(char*, std::size_t, long)) {
    zwf::TextLines lines;
    char text[64];
    for (long i = 0; i < count; ++i) {
        line(text, sizeof text, i);
        lines.Append(text);
    }
    return lines;
}

bool Same(const wchar_t* text, const char* ascii) {
    while (*text && *text == static_cast<wchar_t>(*ascii)) {
        ++text;
        ++ascii;
    }
    return *text == 0 && *ascii == 0;
}

// Asks the list box from a thread of its own until it is destroyed.
class Asker {
public:
    Asker(HWND list, long count) : m_list(list), m_count(count), m_thread([this] { Run(); }) {}
    ~Asker() { Stop(); }
    // The questions are answered by the window's thread: it handles what is pending meanwhile.
    void Stop() {
        m_stop = true;
        while (!m_done)
            Pump();
        if (m_thread.joinable())
            m_thread.join();
    }
    static void Pump() {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        ::Sleep(1);
    }
    double Longest() const { return m_longest; }
    long Answers() const { return m_answers; }
    long PartAnswers() const { return m_partAnswers; }
    long Inconsistent() const { return m_inconsistent; }

private:
    LRESULT Ask(UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        const Clock::time_point asked = Clock::now();
        if (!::SendMessageTimeoutW(m_list, message, wParam, lParam, SMTO_NORMAL, 60000, &result))
            return LB_ERR;
        m_longest = std::max(m_longest.load(), Milliseconds(Clock::now() - asked).count());
        ++m_answers;
        return static_cast<LRESULT>(result);
    }

    void Run() {
        bool seenNew = false;
        char expected[64];
        wchar_t text[64];
        while (!m_stop) {
            const long count = static_cast<long>(Ask(LB_GETCOUNT, 0, 0));
            if (count > 0 && Ask(LB_GETTEXTLEN, count - 1, 0) < 60 &&
                Ask(LB_GETTEXT, count - 1, reinterpret_cast<LPARAM>(text)) != LB_ERR) {
                // The list may have grown meanwhile, never shrunk but by a new fill.
                NewLine(expected, sizeof expected, count - 1);
                const bool isNew = Same(text, expected);
                OldLine(expected, sizeof expected, count - 1);
                const bool isOld = Same(text, expected);
                seenNew = seenNew || isNew;
                if (!(isNew || (isOld && !seenNew)))
                    ++m_inconsistent;
                // Asked again: the text may have been read after the fill that began meanwhile.
                if (isNew && Ask(LB_GETCOUNT, 0, 0) < m_count)
                    ++m_partAnswers;
            }
            ::Sleep(5);
        }
        m_done = true;
    }

    HWND m_list;
    long m_count;
    std::atomic<bool> m_stop{false}, m_done{false};
    std::atomic<double> m_longest{0};
    std::atomic<long> m_answers{0}, m_partAnswers{0}, m_inconsistent{0};
    std::thread m_thread;
};

}  // namespace

int main(int argc, char* argv[]) {
    const long count = argc > 1 ? std::atol(argv[1]) : 200000;
    auto window = zwf::MakeWin32Window(zwf::texts::kWindowTitle, zwf::kControls);
    if (!window)
        return 1;
    const int list = zwf::ctl::kAllFilesList;
    HWND listBox = ::GetDlgItem(::FindWindowW(L"Zwillingsfeger.Hauptfenster", nullptr), list);
    const zwf::TextLines lines = Lines(count, NewLine);
    const zwf::TextLines old = Lines(kOldLines, OldLine);
    int status = 0;
    for (const bool inWork : {false, true}) {
        window->SetLines(list, old);
        Asker asker(listBox, count);
        for (const Clock::time_point until = Clock::now() + std::chrono::milliseconds(20); Clock::now() < until;)
            Asker::Pump();  // a few answers about the old lines
        if (inWork)
            window->BeginWork();
        const Clock::time_point start = Clock::now();
        window->SetLines(list, lines);
        const double took = Milliseconds(Clock::now() - start).count();
        if (inWork)
            window->EndWork();
        asker.Stop();
        const int shown = window->LineCount(list);
        std::printf(
            "%ld lines (%d shown), %s work: SetLines %.0f ms; longest answer %.1f ms, %ld answers, "
            "%ld while part of the lines were in, %ld inconsistent\n",
            count, shown, inWork ? "inside" : "outside", took, asker.Longest(), asker.Answers(), asker.PartAnswers(),
            asker.Inconsistent());
        std::fflush(stdout);
        if (shown != count || asker.Inconsistent() > 0)
            status = 1;
    }
    const std::size_t few = std::min<std::size_t>(lines.Size(), 2000);
    const Clock::time_point start = Clock::now();
    window->Empty(list);
    for (std::size_t i = 0; i < few; ++i)
        window->AppendLine(list, lines[i]);
    std::printf("line by line, the first %zu: %.0f ms\n", few, Milliseconds(Clock::now() - start).count());
    window->Close();
    return status;
}
