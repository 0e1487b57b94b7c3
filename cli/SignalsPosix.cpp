#include <csignal>
#include <initializer_list>
#include <unistd.h>

#include "cli/ExitStatus.h"
#include "cli/Signals.h"

namespace zwf::cli {

namespace {

volatile std::sig_atomic_t g_signal = 0;
volatile std::sig_atomic_t g_atOnce = 0;
bool g_clearLine = false;

// Only calls that are safe in a signal handler.
void OnEndSignal(int number) {
    if (g_atOnce) {
        if (g_clearLine) {
            static constexpr char kBlank[] = "\r                                                            \r";
            [[maybe_unused]] const ssize_t wrote = ::write(STDERR_FILENO, kBlank, sizeof kBlank - 1);
        }
        ::_exit(kExitSignalled + number);
    }
    if (g_signal == 0)
        g_signal = number;
}

}  // namespace

void CatchEndSignals(bool clearProgressLine) {
    g_clearLine = clearProgressLine;
    g_atOnce = 1;
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // a copy in hand finishes its step undisturbed
    for (int number : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(number, &action, nullptr);
}

void EndAtOnce(bool atOnce) {
    g_atOnce = atOnce ? 1 : 0;
    if (atOnce && g_signal != 0)
        OnEndSignal(g_signal);
}

int EndSignal() { return g_signal; }

}  // namespace zwf::cli
