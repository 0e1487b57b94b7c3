#pragma once

#include "platform/qt/QtWindow.h"

namespace zwf::qt {

// SIGTERM, SIGHUP and SIGINT become a request to end (QtWindow::RequestEnd), handled by the
// event loop as soon as it gets its turn: during work at its next KeepAlive, so the work in hand
// ends first. Set up once, for the window that lives until the program ends.
void EndOnSignals(QtWindow& window);

}  // namespace zwf::qt
