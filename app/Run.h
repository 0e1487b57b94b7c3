#pragma once

#include <chrono>

#include "platform/FileSystem.h"
#include "platform/Window.h"

namespace zwf {

struct RunOptions {
    // How often the scan and the deletes let the window answer what is pending. The search's
    // progress reports come every few milliseconds already, and each one keeps it alive.
    std::chrono::steady_clock::duration keepAliveInterval = std::chrono::milliseconds(4);
    // Before anything else, the steps that processes ended in the middle of are finished or
    // undone (RecoverAbandonedSteps), and what became of them is shown in one message.
    bool recoverAbandonedSteps = false;
};

// Runs the program on a window the front end has created with the controls of app/Layout.h:
// the event loop until the close request, then closes the window and shows the credits (not
// when the request came from outside: a signal or the end of the session).
// Returns the process's exit code, 0. A front end whose window could not be created does not call
// this (no credits then) and ends on its own: the Windows program with 0, the Linux program with
// EXIT_FAILURE. Tests pass options other than the defaults.
int Run(Window& window, FileSystem& fileSystem, const RunOptions& options = {});

}  // namespace zwf
