#include "platform/win32/MessageFilter.h"

namespace zwf::win32 {

WhileBusy ClassifyWhileBusy(const MSG& message) {
    const UINT code = message.message;
    // The frame stays the user's while the program works: the title bar moves the window, the
    // close box, Alt+F4 and the system menu ask to close (answered once the work is done), and
    // the system keys reach the window for that.
    const bool frameMouse = code >= WM_NCMOUSEMOVE && code <= WM_NCXBUTTONDBLCLK;
    const bool systemKey = code == WM_SYSKEYDOWN || code == WM_SYSKEYUP || code == WM_SYSCHAR;
    if (frameMouse || systemKey || code == WM_SYSCOMMAND)
        return WhileBusy::Dispatch;
    const bool keyboard = code >= WM_KEYFIRST && code <= WM_KEYLAST;
    const bool mouse = code >= WM_MOUSEFIRST && code <= WM_MOUSELAST;
    // Commands and clicks posted to the window stand for the user's input as well.
    const bool command = code == WM_COMMAND || code == BM_CLICK;
    if (keyboard || mouse || command || code == WM_INPUT)
        return WhileBusy::Discard;
    if (code == WM_CLOSE || code == WM_QUIT)
        return WhileBusy::Defer;
    return WhileBusy::Dispatch;
}

}  // namespace zwf::win32
