#include "platform/win32/FolderDialog.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/Utf16.h"

namespace zwf::win32 {

namespace {

using BrowseFn = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
using PathFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);
using PathExFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR, DWORD, GPFIDL_FLAGS);

// Functions looked up by name come back as FARPROC; this is the one cast that needs.
template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Once the dialog is up, it selects the initial folder, so it opens there.
int CALLBACK OnDialogEvent(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data)
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// The path of the chosen item; "" when it has none. Longer paths than MAX_PATH need the
// newer call, where the shell provides it.
std::wstring PathOf(HMODULE shell, PCIDLIST_ABSOLUTE item) {
    if (auto pathEx = Lookup<PathExFn>(shell, "SHGetPathFromIDListEx")) {
        std::vector<wchar_t> buffer(32768);
        if (pathEx(item, buffer.data(), static_cast<DWORD>(buffer.size()), GPFIDL_DEFAULT))
            return buffer.data();
    }
    if (auto path = Lookup<PathFn>(shell, "SHGetPathFromIDListW")) {
        wchar_t buffer[MAX_PATH] = {};
        if (path(item, buffer))
            return buffer;
    }
    return {};
}

// The resizable dialog style needs a single-threaded COM apartment for the time it is open.
class ComApartment {
public:
    ComApartment() : m_entered(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (m_entered)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_entered;
};

}  // namespace

std::string BrowseForFolder(HWND owner, std::string_view title, std::string_view initialFolder) {
    UniqueModule shell(::LoadLibraryW(L"SHELL32.DLL"));
    if (!shell.IsValid())
        return {};
    auto browse = Lookup<BrowseFn>(shell.Get(), "SHBrowseForFolderW");
    if (!browse)
        return {};

    ComApartment apartment;
    const std::wstring wideTitle = Widen(title);
    const std::wstring initial = Widen(initialFolder);
    BROWSEINFOW request{};
    request.hwndOwner = owner;
    request.lpszTitle = wideTitle.c_str();
    request.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    request.lpfn = OnDialogEvent;
    request.lParam = initial.empty() ? 0 : reinterpret_cast<LPARAM>(initial.c_str());

    PIDLIST_ABSOLUTE chosen = browse(&request);
    if (!chosen)
        return {};
    std::string result = Narrow(PathOf(shell.Get(), chosen));
    ::CoTaskMemFree(chosen);
    return result;
}

}  // namespace zwf::win32
