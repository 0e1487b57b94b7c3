#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Helpers of the end-to-end driver: it runs in a process of its own and reaches the program's
// window only through window messages, remote memory and the file system, as a user's tools would.
namespace zwf::e2e {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// Counts the checks and prints each failure; the summary line comes last.
class Checks {
public:
    bool Check(bool ok, const std::string& what);
    bool Equal(const std::wstring& got, const std::wstring& expected, const std::string& what);
    bool Equal(long long got, long long expected, const std::string& what);
    int Summary() const;  // prints "N passed, N failed" and returns the failures

private:
    int m_passed = 0;
    int m_failed = 0;
};

// Polls until done() holds or the time is up; the program settles its state message by message.
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);

// A top-level window of the process with this class and, unless empty, this title.
HWND FindTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title);
// The first descendant of parent with this class.
HWND FindDescendant(HWND parent, const wchar_t* className);

std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
RECT ClientPlace(HWND control, HWND parent);  // the control's rectangle in parent's client coordinates

std::vector<std::wstring> ListLines(HWND list);
int ListSelection(HWND list);
// A left click on a line, posted as the mouse would deliver it; the list box notifies its parent.
void ClickListLine(HWND list, int line);

// Memory in the other process, for messages whose pointers are not carried across processes.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t bytes);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* Address() const { return m_address; }
    bool Write(const void* data, std::size_t bytes, std::size_t offset = 0);
    bool Read(void* data, std::size_t bytes, std::size_t offset = 0) const;

private:
    HANDLE m_process;
    void* m_address;
};

// The text of the folder selected in the program's open folder dialog (its leaf name).
std::wstring FolderDialogSelection(HANDLE process, HWND dialog);
// Wine's folder ids carry the folders' access times; reading every folder on the way down
// first keeps its tree walk from tripping over a time that the walk itself changes.
void ReadAncestors(const std::wstring& folder);

// Chooses folder in the program's open folder dialog and confirms the choice with OK.
// Returns false when the dialog would not take the folder.
bool ChooseInFolderDialog(HANDLE process, HWND dialog, const std::wstring& folder);

bool WriteFileText(const std::wstring& path, std::string_view contents);
bool FileExists(const std::wstring& path);

}  // namespace zwf::e2e
