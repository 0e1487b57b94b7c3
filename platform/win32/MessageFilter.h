#pragma once

#include <windows.h>

namespace zwf::win32 {

// What a queued message means while the program is busy and takes no input.
enum class WhileBusy {
    Discard,   // the user's input to the controls: acting on it later would surprise the user
    Defer,     // a close request: it is answered once the work is done
    Dispatch,  // painting, the frame (moving, closing) and everything else that keeps the window alive
};

WhileBusy ClassifyWhileBusy(const MSG& message);

}  // namespace zwf::win32
