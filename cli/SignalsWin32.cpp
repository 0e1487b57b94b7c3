#include <windows.h>

#include <atomic>
#include <cstdio>

#include "cli/ExitStatus.h"
#include "cli/Signals.h"

namespace zwf::cli {

namespace {

constexpr int kInterrupt = 2;  // as SIGINT
std::atomic<int> g_signal = 0;
std::atomic<bool> g_atOnce = true;
bool g_clearLine = false;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (g_atOnce) {
        if (g_clearLine)
            std::fputs("\r                                                            \r", stderr);
        ::ExitProcess(kExitSignalled + kInterrupt);
    }
    int none = 0;
    g_signal.compare_exchange_strong(none, kInterrupt);
    return TRUE;
}

}  // namespace

void CatchEndSignals(bool clearProgressLine) {
    g_clearLine = clearProgressLine;
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

void EndAtOnce(bool atOnce) {
    g_atOnce = atOnce;
    if (atOnce && g_signal != 0)
        ::ExitProcess(kExitSignalled + g_signal);
}

int EndSignal() { return g_signal; }

}  // namespace zwf::cli
