#include "tests/win32/DriverSteps.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>

namespace zwf::e2e {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr,
                          nullptr);
    return text;
}

bool Checks::Check(bool ok, const std::string& what) {
    if (ok) {
        ++m_passed;
    } else {
        ++m_failed;
        std::printf("FAILED: %s\n", what.c_str());
    }
    std::fflush(stdout);
    return ok;
}

bool Checks::Equal(const std::wstring& got, const std::wstring& expected, const std::string& what) {
    return Check(got == expected, what + ": got \"" + Utf8(got) + "\", expected \"" + Utf8(expected) + "\"");
}

bool Checks::Equal(long long got, long long expected, const std::string& what) {
    return Check(got == expected, what + ": got " + std::to_string(got) + ", expected " + std::to_string(expected));
}

int Checks::Summary() const {
    std::printf("%d passed, %d failed\n", m_passed, m_failed);
    std::fflush(stdout);
    return m_failed;
}

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (::GetTickCount() - start > milliseconds)
            return false;
        ::Sleep(20);
    }
}

namespace {

struct TopLevelSearch {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TopLevelSearch*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window) || ClassOf(window) != search->className)
        return TRUE;
    if (search->title && *search->title && WindowText(window) != search->title)
        return TRUE;
    search->found = window;
    return FALSE;
}

struct DescendantSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DescendantSearch*>(data);
    if (_wcsicmp(ClassOf(window).c_str(), search->className) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title) {
    TopLevelSearch search{processId, className, title, nullptr};
    ::EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
    DescendantSearch search{className, nullptr};
    ::EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT is carried across processes; GetWindowText may not ask the control at all.
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 128);
    return name;
}

RECT ClientPlace(HWND control, HWND parent) {
    RECT place{};
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

std::vector<std::wstring> ListLines(HWND list) {
    std::vector<std::wstring> lines;
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        // The program may change the line between the two questions; LB_GETTEXT writes the line
        // as it is then, and no buffer size goes with it. Room to spare, and a line that came
        // back longer than that is asked again.
        constexpr std::size_t kSpare = 4096;
        std::wstring line;
        for (int attempt = 0; attempt < 10; ++attempt) {
            const int length = static_cast<int>(::SendMessageW(list, LB_GETTEXTLEN, i, 0));
            line.assign(static_cast<std::size_t>(length < 0 ? 0 : length) + kSpare, L'\0');
            const int got = static_cast<int>(::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data())));
            if (got < static_cast<int>(line.size()))
                break;
        }
        line.resize(wcslen(line.c_str()));
        lines.push_back(line);
    }
    return lines;
}

int ListSelection(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0)); }

void ClickListLine(HWND list, int line) {
    const int top = static_cast<int>(::SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    const int height = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const LPARAM point = MAKELPARAM(5, (line - top) * height + height / 2);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::PostMessageW(list, WM_LBUTTONUP, 0, point);
}

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t bytes)
    : m_process(process),
      m_address(::VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

RemoteBuffer::~RemoteBuffer() {
    if (m_address)
        ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
}

bool RemoteBuffer::Write(const void* data, std::size_t bytes, std::size_t offset) {
    SIZE_T done = 0;
    return m_address && ::WriteProcessMemory(m_process, static_cast<BYTE*>(m_address) + offset, data, bytes, &done) &&
           done == bytes;
}

bool RemoteBuffer::Read(void* data, std::size_t bytes, std::size_t offset) const {
    SIZE_T done = 0;
    return m_address && ::ReadProcessMemory(m_process, static_cast<BYTE*>(m_address) + offset, data, bytes, &done) &&
           done == bytes;
}

namespace {

// The text of the tree's selected item, read through the program's memory.
std::wstring SelectedTreeText(HANDLE process, HWND tree) {
    const auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item)
        return {};
    constexpr int kChars = 260;
    RemoteBuffer remote(process, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
    TVITEMW request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(remote.Address()) + sizeof(TVITEMW));
    request.cchTextMax = kChars;
    const wchar_t none = 0;
    if (!remote.Write(&request, sizeof request) || !remote.Write(&none, sizeof none, sizeof(TVITEMW)))
        return {};
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()));
    wchar_t text[kChars] = {};
    remote.Read(text, sizeof text - sizeof(wchar_t), sizeof(TVITEMW));
    return text;
}

}  // namespace

namespace {

void ReadFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    while (::FindNextFileW(search, &data)) {
    }
    ::FindClose(search);
}

}  // namespace

void ReadAncestors(const std::wstring& folder) {
    for (std::size_t cut = folder.find(L'\\'); cut != std::wstring::npos; cut = folder.find(L'\\', cut + 1))
        ReadFolder(folder.substr(0, cut));
    ReadFolder(folder);  // the tree looks into the folder itself too, for subfolders
}

std::wstring FolderDialogSelection(HANDLE process, HWND dialog) {
    HWND tree = FindDescendant(dialog, L"SysTreeView32");
    return tree ? SelectedTreeText(process, tree) : std::wstring();
}

bool ChooseInFolderDialog(HANDLE process, HWND dialog, const std::wstring& folder) {
    HWND tree = nullptr;
    if (!WaitUntil([&] { return (tree = FindDescendant(dialog, L"SysTreeView32")) != nullptr; }))
        return false;
    const std::wstring leaf = folder.substr(folder.rfind(L'\\') + 1);
    const std::size_t bytes = (folder.size() + 1) * sizeof(wchar_t);
    RemoteBuffer path(process, bytes);
    if (!path.Write(folder.c_str(), bytes))
        return false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        ReadAncestors(folder);
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.Address()));
        if (SelectedTreeText(process, tree) == leaf) {
            ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            return true;
        }
        ::Sleep(100);
    }
    return false;
}

bool WriteFileText(const std::wstring& path, std::string_view contents) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) &&
                    written == contents.size();
    ::CloseHandle(file);
    return ok;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace zwf::e2e
