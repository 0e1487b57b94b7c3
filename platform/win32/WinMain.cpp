// The Windows program: the main window and the native file system around the one event loop.
#include <windows.h>

#include "app/Layout.h"
#include "app/Run.h"
#include "app/Texts.h"
#include "platform/FileSystem.h"
#include "platform/StepJournal.h"
#include "platform/win32/Win32Window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The program takes no arguments and ignores the show command it is given.
    auto window = zwf::MakeWin32Window(zwf::texts::kWindowTitle, zwf::kControls);
    if (!window)
        return 0;  // no window, no credits
    const auto journal = zwf::OpenStepJournal();
    auto fileSystem = zwf::MakeNativeFileSystem();
    fileSystem->SetStepLog(journal.get());
    zwf::RunOptions options;
    options.recoverAbandonedSteps = true;
    return zwf::Run(*window, *fileSystem, options);
}
