#pragma once

#include <chrono>

#include "app/WorkPacer.h"
#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"
#include "platform/Window.h"

namespace zwf {

struct RunOptions {
    // How often the scan and the deletes let the window answer what is pending. The search's
    // progress reports come every few milliseconds already, and each one keeps it alive.
    std::chrono::steady_clock::duration keepAliveInterval = std::chrono::milliseconds(4);
};

// Everything one run of the program works on.
struct Session {
    Session(Window& w, FileSystem& fs, const RunOptions& options)
        : window(w), fileSystem(fs), catalogue(fs.Separator()), pacer(options.keepAliveInterval) {}

    Window& window;
    FileSystem& fileSystem;
    Catalogue catalogue;
    WorkPacer pacer;
};

// Run with options other than the defaults (tests keep the window alive at every chance).
int Run(Window& window, FileSystem& fileSystem, const RunOptions& options);

}  // namespace zwf
