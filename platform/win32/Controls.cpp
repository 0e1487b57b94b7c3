#include "platform/win32/Controls.h"

#include <commctrl.h>

#include "platform/win32/Utf16.h"

namespace zwf::win32 {

namespace {

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(ControlSpec::Kind kind) {
    switch (kind) {
    case ControlSpec::Kind::Button: return {L"BUTTON", kButtonStyle, 0};
    case ControlSpec::Kind::Label: return {L"STATIC", kLabelStyle, 0};
    case ControlSpec::Kind::ListBox: return {L"LISTBOX", kListBoxStyle, kListBoxExStyle};
    }
    return {L"STATIC", kLabelStyle, 0};
}

HMENU IdAsMenu(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

HWND CreateControl(HWND parent, const ControlSpec& spec) {
    const ControlClass cls = ClassOf(spec.kind);
    HWND control =
        ::CreateWindowExW(cls.exStyle, cls.name, Widen(spec.text).c_str(), cls.style, spec.x, spec.y, spec.width,
                          spec.height, parent, IdAsMenu(spec.id), ::GetModuleHandleW(nullptr), nullptr);
    if (control)
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_VAR_FONT)), FALSE);
    return control;
}

HWND CreateProgressBar(HWND parent, int id, const ControlSpec& place) {
    HWND bar = ::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | PBS_SMOOTH, place.x, place.y,
                                 place.width, place.height, parent, IdAsMenu(id), ::GetModuleHandleW(nullptr), nullptr);
    if (bar) {
        ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        ::SendMessageW(bar, PBM_SETPOS, 0, 0);
    }
    return bar;
}

}  // namespace zwf::win32
