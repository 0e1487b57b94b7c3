#include "platform/qt/EndSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <initializer_list>
#include <sys/socket.h>
#include <unistd.h>

namespace zwf::qt {

namespace {

int g_ends[2] = {-1, -1};  // written by the handler, read by the event loop

void OnEndSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t wrote = ::write(g_ends[0], &byte, 1);  // safe in a handler
}

}  // namespace

void EndOnSignals(QtWindow& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_ends) != 0)
        return;
    // Lives as long as the application: a request while the credits are shown closes them too.
    auto* notifier = new QSocketNotifier(g_ends[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [&window] {
        char bytes[16];
        while (::read(g_ends[1], bytes, sizeof bytes) > 0) {
        }
        window.RequestEnd();
    });
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(number, &action, nullptr);
}

}  // namespace zwf::qt
