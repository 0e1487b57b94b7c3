#pragma once

#include <windows.h>

#include "platform/Window.h"

namespace zwf::win32 {

// https://learn.microsoft.com/windows/win32/controls/individual-control-info
// Window styles of the main window's controls, by kind.
inline constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
inline constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
inline constexpr DWORD kListBoxStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_GROUP | WS_TABSTOP |
                                       LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_NOTIFY;
inline constexpr DWORD kListBoxExStyle = WS_EX_CLIENTEDGE;
static_assert(kButtonStyle == 0x50030000 && kLabelStyle == 0x50020000 && kListBoxStyle == 0x50330141);

// Creates one control of the table as a child of parent, with the stock variable-pitch font.
// Returns nullptr when the system refuses it.
HWND CreateControl(HWND parent, const ControlSpec& spec);

// https://learn.microsoft.com/windows/win32/controls/progress-bar-control
// The smooth progress bar, range 0 to 100 at 0, standing in the given control's place.
HWND CreateProgressBar(HWND parent, int id, const ControlSpec& place);

}  // namespace zwf::win32
