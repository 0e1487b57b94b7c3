#pragma once

#include "app/Run.h"
#include "app/WorkPacer.h"
#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"
#include "platform/Window.h"

namespace zwf {

// Everything one run of the program works on.
struct Session {
    Session(Window& w, FileSystem& fs, const RunOptions& options)
        : window(w), fileSystem(fs), catalogue(fs.Separator()), pacer(options.keepAliveInterval) {}

    Window& window;
    FileSystem& fileSystem;
    Catalogue catalogue;
    WorkPacer pacer;
};

}  // namespace zwf
