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
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Layout.h"
#include "app/Run.h"
#include "app/Texts.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtWindow.h"

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
    zwf::qt::QtWindow window(zwf::texts::kWindowTitle, zwf::kControls,
                             QSize(zwf::kClientWidth, zwf::kClientHeight));
    std::size_t answered = 0;
    window.SetFolderChooser([&](std::string_view, std::string_view) { return folders[answered++]; });

    using Clock = std::chrono::steady_clock;
    Clock::time_point clicked;
    std::size_t step = 0;
    auto click = [&](int id) { static_cast<QPushButton*>(window.Control(id))->click(); };
    // Called each time the window is about to wait for the user: the last step done, the next one.
    window.SetWaitHook([&] {
        if (step < folders.size()) {
            click(zwf::ctl::kAddFolder);
        } else {
            if (step > folders.size()) {
                const std::chrono::duration<double, std::milli> took = Clock::now() - clicked;
                std::printf("search in the window %.0f ms\n", took.count());
                std::fflush(stdout);
            }
            if (step < folders.size() + searches) {
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
    return zwf::Run(window, *fileSystem);
}
