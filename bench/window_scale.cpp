// The Linux window at scale: adds the folders given through a scripted folder dialog, then
// searches once, and prints how long each took from the click until the window waited for the
// user again, and how long a question from another program waited at most from the click until
// a second after that. The
// questions come from a thread of their own, one every 5 ms, each posted to the window's thread
// and answered there the way a screen reader's question is: when the window next handles its
// events.
//   zwf_window_scale FOLDER...   (needs a display; QT_QPA_PLATFORM=offscreen will do)
// With ZWF_SCALE_TRACE set, each wait of more than 25 ms goes to stderr, with when it was asked,
// and so does each event the window's thread took more than 15 ms to handle.
#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>
#include <thread>
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
const Clock::time_point kStart = Clock::now();  // the times traced count from here

// A question: answered when the window's thread handles it.
class Question final : public QEvent {
public:
    explicit Question(std::shared_ptr<std::promise<void>> answer) : QEvent(QEvent::User), m_answer(std::move(answer)) {}
    ~Question() override { m_answer->set_value(); }

private:
    std::shared_ptr<std::promise<void>> m_answer;
};

// Asks one question after another and keeps the longest wait since the last Take.
class Asker {
public:
    explicit Asker(QObject* window) : m_window(window), m_thread([this] { Run(); }) {}
    ~Asker() {
        m_stop = true;
        m_thread.join();
    }
    double Take() { return m_longest.exchange(0); }

private:
    void Run() {
        while (!m_stop) {
            auto answer = std::make_shared<std::promise<void>>();
            std::future<void> answered = answer->get_future();
            const Clock::time_point asked = Clock::now();
            QCoreApplication::postEvent(m_window, new Question(std::move(answer)));
            while (answered.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
                if (m_stop)
                    return;  // the window has stopped answering
            const double waited = Milliseconds(Clock::now() - asked).count();
            if (waited > 25 && std::getenv("ZWF_SCALE_TRACE"))
                std::fprintf(stderr, "waited %.0f ms from %.0f ms\n", waited, Milliseconds(asked - kStart).count());
            double longest = m_longest.load();
            while (waited > longest && !m_longest.compare_exchange_weak(longest, waited)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    QObject* m_window;
    std::atomic<bool> m_stop{false};
    std::atomic<double> m_longest{0};
    std::thread m_thread;
};

}  // namespace

// Times every event the window's thread handles.
class TimedApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        const Clock::time_point begun = Clock::now();
        const int type = event->type();
        const bool handled = QApplication::notify(receiver, event);
        const double took = Milliseconds(Clock::now() - begun).count();
        if (took > 15 && std::getenv("ZWF_SCALE_TRACE"))
            std::fprintf(stderr, "event %d to a %s took %.0f ms from %.0f ms\n", type,
                         receiver->metaObject()->className(), took, Milliseconds(begun - kStart).count());
        return handled;
    }
};

int main(int argc, char* argv[]) {
    TimedApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const std::vector<std::string> folders(argv + 1, argv + argc);
    if (folders.empty()) {
        std::fprintf(stderr, "usage: zwf_window_scale FOLDER...\n");
        return 2;
    }
    zwf::qt::QtWindow window(zwf::texts::kWindowTitle, zwf::kControls, QSize(zwf::kClientWidth, zwf::kClientHeight));
    std::size_t answered = 0;
    window.SetFolderChooser([&](std::string_view, std::string_view) { return folders[answered++]; });

    QObject receiver;  // questions are plain events to an object of the window's thread
    Clock::time_point clicked = Clock::now();
    std::size_t step = 0;
    std::unique_ptr<Asker> asker;
    double took = 0;
    auto click = [&](int id) {
        asker->Take();
        clicked = Clock::now();
        static_cast<QPushButton*>(window.Control(id))->click();
    };
    // A step's longest answer counts until the next click, a second after the step: what the
    // window does once it is idle again (laying out and painting a list of a million lines) is
    // part of the step.
    auto report = [&](const char* what) {
        std::printf("%s %.0f ms, longest answer %.1f ms\n", what, took, asker->Take());
        std::fflush(stdout);
    };
    auto next = [&] {
        if (step > 0 && step <= folders.size())
            report("add");
        if (step < folders.size())
            click(zwf::ctl::kAddFolder);
        else if (step == folders.size())
            click(zwf::ctl::kSearch);
        else {
            report("search");
            window.Widget()->close();
        }
        ++step;
    };
    // Called each time the window is about to wait for the user; the next step follows a second
    // later, the window idle meanwhile.
    window.SetWaitHook([&] {
        if (!asker) {
            asker = std::make_unique<Asker>(&receiver);
            next();
            return;
        }
        took = Milliseconds(Clock::now() - clicked).count();
        QTimer::singleShot(1000, next);
    });
    // The credits box that follows the window goes by itself.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    closer.start(50);
    auto fileSystem = zwf::MakeNativeFileSystem();
    const int status = zwf::Run(window, *fileSystem);
    asker.reset();
    return status;
}
