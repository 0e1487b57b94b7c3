// Times the search in the Linux window, as the program runs it: adds the folders given through a
// scripted folder dialog, clicks "Doppelte Dateien suchen" once the scan is done, and prints how
// long the search took from the click until the window waited for the user again; with -n it
// searches that many times. The window is kept alive as in the program, so the time includes
// everything that costs (the first search also makes the progress bar).
//   zwf_window_search [-n SEARCHES] FOLDER...   (needs a display; QT_QPA_PLATFORM=offscreen will do)
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/Layout.h"
#include "app/Run.h"
#include "app/Texts.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtWindow.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// Passes everything on to the real window and adds up the time the work spends keeping it alive
// (KeepAlive and SetProgress), the whole cost of the window to a search: by the clock, and in
// processor time of the thread, which a loaded machine disturbs less (it leaves out the waits for
// the X server and for a processor).
class TimedWindow final : public zwf::Window {
public:
    explicit TimedWindow(zwf::Window& inner) : m_inner(inner) {}

    void Enable(int id, bool enabled) override { m_inner.Enable(id, enabled); }
    int LineCount(int id) override { return m_inner.LineCount(id); }
    int SelectedLine(int id) override { return m_inner.SelectedLine(id); }
    void SelectLine(int id, int index) override { m_inner.SelectLine(id, index); }
    void RemoveLine(int id, int index) override { m_inner.RemoveLine(id, index); }
    void AppendLine(int id, std::string_view text) override { m_inner.AppendLine(id, text); }
    void SetLines(int id, zwf::TextLines lines) override { m_inner.SetLines(id, std::move(lines)); }
    void Empty(int id) override { m_inner.Empty(id); }
    void SetText(int id, std::string_view text) override { m_inner.SetText(id, text); }
    zwf::WindowEvent WaitEvent() override { return m_inner.WaitEvent(); }
    std::string ChooseFolder(std::string_view title, std::string_view initial) override {
        return m_inner.ChooseFolder(title, initial);
    }
    void ShowMessage(std::string_view caption, std::string_view text) override { m_inner.ShowMessage(caption, text); }
    void BeginWork() override { m_inner.BeginWork(); }
    void KeepAlive() override {
        Timed([&] { m_inner.KeepAlive(); });
    }
    void EndWork() override { m_inner.EndWork(); }
    void ShowProgressBar(bool shown) override { m_inner.ShowProgressBar(shown); }
    void SetProgress(int percent) override {
        Timed([&] { m_inner.SetProgress(percent); });
    }
    std::chrono::milliseconds DoubleClickTime() override { return m_inner.DoubleClickTime(); }
    void Close() override { m_inner.Close(); }

    struct Spent {
        Milliseconds clock{}, processor{};
        int calls = 0;
    };
    // The time and calls since the last Take.
    Spent Take() { return std::exchange(m_spent, {}); }

private:
    static Milliseconds ThreadTime() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }

    template <typename Call>
    void Timed(Call call) {
        const Clock::time_point start = Clock::now();
        const Milliseconds processorStart = ThreadTime();
        call();
        m_spent.processor += ThreadTime() - processorStart;
        m_spent.clock += Clock::now() - start;
        ++m_spent.calls;
    }

    zwf::Window& m_inner;
    Spent m_spent;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    std::vector<std::string> folders(argv + 1, argv + argc);
    std::size_t searches = 1;
    if (folders.size() > 2 && folders[0] == "-n") {
        searches = std::max(1, std::atoi(folders[1].c_str()));
        folders.erase(folders.begin(), folders.begin() + 2);
    }
    if (folders.empty()) {
        std::fprintf(stderr, "usage: zwf_window_search [-n SEARCHES] FOLDER...\n");
        return 2;
    }
    zwf::qt::QtWindow window(zwf::texts::kWindowTitle, zwf::kControls, QSize(zwf::kClientWidth, zwf::kClientHeight));
    std::size_t answered = 0;
    window.SetFolderChooser([&](std::string_view, std::string_view) { return folders[answered++]; });

    TimedWindow timed(window);
    Clock::time_point clicked;
    std::size_t step = 0;
    auto click = [&](int id) { static_cast<QPushButton*>(window.Control(id))->click(); };
    // Called each time the window is about to wait for the user: the last step done, the next one.
    window.SetWaitHook([&] {
        if (step < folders.size()) {
            click(zwf::ctl::kAddFolder);
        } else {
            if (step > folders.size()) {
                const Milliseconds took = Clock::now() - clicked;
                const TimedWindow::Spent alive = timed.Take();
                std::printf(
                    "search in the window %.0f ms, of which %.1f ms (%.2f %%) keeping it alive in %d calls, "
                    "%.1f ms (%.2f %%) of them on the processor\n",
                    took.count(), alive.clock.count(), 100 * alive.clock.count() / took.count(), alive.calls,
                    alive.processor.count(), 100 * alive.processor.count() / took.count());
                std::fflush(stdout);
            }
            if (step < folders.size() + searches) {
                timed.Take();
                clicked = Clock::now();
                click(zwf::ctl::kSearch);
            } else {
                window.Widget()->close();
            }
        }
        ++step;
    });
    // The credits box that follows the window goes by itself.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    closer.start(50);
    auto fileSystem = zwf::MakeNativeFileSystem();
    return zwf::Run(timed, *fileSystem);
}
