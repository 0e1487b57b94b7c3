#include "platform/win32/MessageFilter.h"

namespace zwf::win32 {

WhileBusy ClassifyWhileBusy(const MSG& message) {
    const UINT code = message.message;
    const bool keyboard = code >= WM_KEYFIRST && code <= WM_KEYLAST;
    const bool mouse = code >= WM_MOUSEFIRST && code <= WM_MOUSELAST;
    const bool frameMouse = code >= WM_NCMOUSEMOVE && code <= WM_NCXBUTTONDBLCLK;
    // Commands and clicks posted to the window stand for the user's input as well.
    const bool command = code == WM_COMMAND || code == WM_SYSCOMMAND || code == BM_CLICK;
    if (keyboard || mouse || frameMouse || command || code == WM_INPUT)
        return WhileBusy::Discard;
    if (code == WM_CLOSE || code == WM_QUIT)
        return WhileBusy::Defer;
    return WhileBusy::Dispatch;
}

}  // namespace zwf::win32
