#pragma once

#include "platform/FileSystem.h"
#include "platform/Window.h"

namespace zwf {

// Runs the program on a window the front end has created with the controls of app/Layout.h:
// the event loop until the close request, then closes the window and shows the credits.
// Returns the process's exit code. A front end whose window could not be created returns 0
// without calling this (no credits then).
int Run(Window& window, FileSystem& fileSystem);

}  // namespace zwf
