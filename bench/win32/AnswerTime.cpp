// How quickly the Windows program answers another program while it searches. Starts the program,
// adds FOLDER through its folder dialog, and runs SEARCHES searches. Before each search after the
// first, the files in FOLDER are replaced by new sparse files of the same sizes, so that nothing of
// them is cached, and the folder is added again after "Zurücksetzen": the search reads only files
// that are still the ones catalogued.
// During each search it asks the window for a label's text with SendMessageTimeout(WM_GETTEXT),
// one question after the other as a screen reader asks, and prints how long the answers took.
// The search's time is taken from the progress bar's window, which exists exactly while the
// search runs and is looked up without asking the program.
//   AnswerTime.exe PROGRAM FOLDER [SEARCHES]
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/Layout.h"
#include "tests/win32/DriverSteps.h"

namespace zwf::bench {
namespace {

using e2e::WaitUntil;

double Now() {
    static const double perSecond = [] {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / perSecond;
}

struct Program {
    PROCESS_INFORMATION process{};
    HWND main = nullptr;
    HWND Item(int id) const { return ::GetDlgItem(main, id); }
};

bool Start(Program& p, const std::wstring& program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &p.process))
        return false;
    return WaitUntil([&] {
        p.main = e2e::FindTopLevel(p.process.dwProcessId, L"Zwillingsfeger.Hauptfenster", L"Zwillingsfeger");
        return p.main && ::GetDlgItem(p.main, ctl::kDeleteGroup);
    });
}

bool AddFolder(Program& p, const std::wstring& folder) {
    ::PostMessageW(p.Item(ctl::kAddFolder), BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = e2e::FindTopLevel(p.process.dwProcessId, L"#32770", nullptr)); }))
        return false;
    return e2e::ChooseInFolderDialog(p.process.hProcess, dialog, folder) &&
           WaitUntil([&] { return ::IsWindowEnabled(p.Item(ctl::kSearch)) != FALSE; }, 60000);
}

// Replaces every file in folder by a new sparse file of the same size; returns how many.
int RenewFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int renewed = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::wstring path = folder + L"\\" + found.cFileName;
        ::DeleteFileW(path.c_str());
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        LARGE_INTEGER size{};
        size.LowPart = found.nFileSizeLow;
        size.HighPart = static_cast<LONG>(found.nFileSizeHigh);
        if (file != INVALID_HANDLE_VALUE && ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file))
            ++renewed;
        ::CloseHandle(file);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return renewed;
}

// When the progress bar came and went, watched every millisecond on a thread of its own.
class SearchWatch {
public:
    explicit SearchWatch(HWND main) : m_thread([this, main] { Watch(main); }) {}
    ~SearchWatch() {
        m_stop = true;
        m_thread.join();
    }
    bool Seen() const { return m_end > 0; }
    double Begin() const { return m_begin; }
    double End() const { return m_end; }

private:
    void Watch(HWND main) {
        while (!m_stop && m_end == 0) {
            const bool bar = ::GetDlgItem(main, ctl::kProgress) != nullptr;
            if (bar && m_begin == 0)
                m_begin = Now();
            else if (!bar && m_begin > 0)
                m_end = Now();
            ::Sleep(1);
        }
    }

    std::atomic<bool> m_stop{false};
    std::atomic<double> m_begin{0}, m_end{0};
    std::thread m_thread;
};

struct Question {
    double asked = 0, took = 0;
};

// Clicks the search button and asks questions until the search is over; returns the answer
// times of the questions asked while it ran, and its length.
std::vector<double> OneSearch(Program& p, double& seconds) {
    SearchWatch watch(p.main);
    ::PostMessageW(p.Item(ctl::kSearch), BM_CLICK, 0, 0);
    HWND label = p.Item(ctl::kAllFilesLabel);
    std::vector<Question> questions;
    const double deadline = Now() + 600;
    while (!watch.Seen() && Now() < deadline) {
        wchar_t text[64];
        DWORD_PTR result = 0;
        const double asked = Now();
        ::SendMessageTimeoutW(label, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 60000, &result);
        questions.push_back({asked, Now() - asked});
        ::Sleep(5);  // between two questions, as a screen reader leaves the processor to others
    }
    seconds = watch.End() - watch.Begin();
    std::vector<double> during;
    for (const Question& q : questions)
        if (q.asked >= watch.Begin() && q.asked <= watch.End())
            during.push_back(q.took * 1000);
    return during;
}

// Two sparse files of 1 GiB take a search well over this; one that ends sooner read nothing.
constexpr double kShortestRealSearch = 0.2;

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

// Runs the searches and prints their answer times; false, with the reason printed, when one of
// them could not be run or read nothing.
bool Searches(Program& p, const std::wstring& folder, int searches) {
    std::vector<double> every;
    for (int n = 1; n <= searches; ++n) {
        if (n > 1) {
            RenewFiles(folder);
            ::PostMessageW(p.Item(ctl::kReset), BM_CLICK, 0, 0);
            if (!WaitUntil([&] { return !::IsWindowEnabled(p.Item(ctl::kSearch)); }) || !AddFolder(p, folder)) {
                std::printf("AnswerTime: could not add the folder again\n");
                return false;
            }
        }
        double seconds = 0;
        std::vector<double> times = OneSearch(p, seconds);
        std::printf("search %d: %.2f s, %zu answers during it", n, seconds, times.size());
        if (!times.empty())
            std::printf(", longest %.0f ms", *std::max_element(times.begin(), times.end()));
        std::printf("\n");
        if (seconds < kShortestRealSearch) {
            std::printf("AnswerTime: search %d was too short to have read the files\n", n);
            return false;
        }
        every.insert(every.end(), times.begin(), times.end());
        WaitUntil([&] { return ::IsWindowEnabled(p.Item(ctl::kSearch)) != FALSE; });
    }
    if (every.empty()) {
        std::printf("AnswerTime: no question was answered during a search\n");
        return false;
    }
    std::printf("answers during the searches: %zu; median %.1f ms, 95th percentile %.1f ms, longest %.1f ms\n",
                every.size(), Percentile(every, 0.5), Percentile(every, 0.95),
                *std::max_element(every.begin(), every.end()));
    return true;
}

int Run(const std::wstring& program, const std::wstring& folder, int searches) {
    Program p;
    const bool started = Start(p, program);
    const bool added = started && AddFolder(p, folder);
    if (started && !added)
        std::printf("AnswerTime: could not add the folder\n");
    const bool ok = added && Searches(p, folder, searches);
    if (started) {
        ::TerminateProcess(p.process.hProcess, 0);
        ::CloseHandle(p.process.hThread);
        ::CloseHandle(p.process.hProcess);
    } else {
        std::printf("AnswerTime: could not start the program\n");
    }
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace zwf::bench

int main() {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (count < 3) {
        std::printf("usage: AnswerTime PROGRAM FOLDER [SEARCHES]\n");
        return 2;
    }
    std::wstring folder = arguments[2];
    while (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    return zwf::bench::Run(arguments[1], folder, count > 3 ? _wtoi(arguments[3]) : 3);
}
