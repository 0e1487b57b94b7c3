#include <windows.h>

#include <random>

#include "platform/StepJournal.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Utf16.h"

namespace zwf {

namespace {

using win32::UniqueFind;
using win32::UniqueHandle;

constexpr std::wstring_view kJournalPrefix = L"schritte-";

// %LOCALAPPDATA%\Zwillingsfeger; "" where the variable is not set.
std::wstring StateFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(buffer, length) + L"\\Zwillingsfeger";
}

// folder as a full path: the next start that reads the journal may run in another folder.
std::string Absolute(const std::string& folder) {
    const std::wstring wide = win32::Widen(folder);
    const DWORD length = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return folder;  // written as given: a scan of it still puts the file back
    std::wstring full(length, L'\0');
    const DWORD written = ::GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length)
        return folder;
    full.resize(written);
    return win32::Narrow(full);
}

// Held without sharing while the process lives, so that no other start takes it for abandoned.
class Win32Journal final : public StepLog {
public:
    ~Win32Journal() override {
        if (!m_file.IsValid())
            return;
        m_file.Reset();
        ::DeleteFileW(m_path.c_str());
    }

    void WillMoveAside(const std::string& folder, const std::string& privateName) override {
        if (!m_file.IsValid() && !m_failed)
            Open();
        if (!m_file.IsValid())
            return;
        const std::string line = JournalLine(Absolute(folder), privateName);
        DWORD wrote = 0;
        ::WriteFile(m_file.Get(), line.data(), static_cast<DWORD>(line.size()), &wrote, nullptr);
    }

private:
    void Open() {
        m_failed = true;
        const std::wstring folder = StateFolder();
        if (folder.empty() ||
            (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS))
            return;
        std::random_device random;
        m_path = folder + L"\\" + std::wstring(kJournalPrefix) + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(random());
        m_file = UniqueHandle(
            ::CreateFileW(m_path.c_str(), FILE_APPEND_DATA, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        m_failed = !m_file.IsValid();
    }

    std::wstring m_path;
    UniqueHandle m_file;
    bool m_failed = false;
};

}  // namespace

std::unique_ptr<StepLog> OpenStepJournal() { return std::make_unique<Win32Journal>(); }

std::vector<LoggedStep> TakeAbandonedSteps() {
    std::vector<LoggedStep> steps;
    const std::wstring folder = StateFolder();
    if (folder.empty())
        return steps;
    WIN32_FIND_DATAW data{};
    UniqueFind find(::FindFirstFileExW((folder + L"\\" + std::wstring(kJournalPrefix) + L"*").c_str(), FindExInfoBasic,
                                       &data, FindExSearchNameMatch, nullptr, 0));
    if (!find.IsValid())
        return steps;
    do {
        // Opened without sharing: a journal its process still holds refuses, and one taken here
        // goes when it is closed.
        const std::wstring path = folder + L"\\" + data.cFileName;
        UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!file.IsValid())
            continue;
        std::string text;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
            text.append(buffer, got);
        for (LoggedStep& step : ParseJournal(text))
            steps.push_back(std::move(step));
    } while (::FindNextFileW(find.Get(), &data));
    return steps;
}

}  // namespace zwf
