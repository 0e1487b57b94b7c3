#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "platform/Window.h"

namespace zwf {

// The program's main window on Win32: a private window class, centred on the screen, with the
// given controls in the given order (which is also the Tab order). Returns nullptr when the
// window cannot be created. Call on the thread that will wait for the window's events.
std::unique_ptr<Window> MakeWin32Window(std::string_view title, std::span<const ControlSpec> controls);

}  // namespace zwf
