#include "app/Commands.h"

#include "app/FolderPicker.h"
#include "app/Layout.h"
#include "app/MainViews.h"
#include "app/Texts.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "views/LineTexts.h"

namespace zwf {

namespace {

void KeepAliveIfDue(Session& session) {
    if (session.pacer.Due())
        session.window.KeepAlive();
}

}  // namespace

void AddFolder(Session& session) {
    Catalogue& catalogue = session.catalogue;
    if (!TakeAddedFolder(catalogue, session.fileSystem,
                         FolderPicker(session.window, session.fileSystem, texts::kFolderDialogTitle,
                                      catalogue.lastFolder)))
        return;
    WorkScope work(session.window);
    const std::size_t before = catalogue.allFiles.size();
    ScanFolder(catalogue, session.fileSystem, catalogue.lastFolder, [&](std::size_t found) {
        if (!session.pacer.Due())
            return;
        session.window.SetText(ctl::kAllFilesLabel, CountLabel(texts::kAllFiles, before + found));
        session.window.KeepAlive();
    });
    // Making the lines of a million files takes a while too.
    RefreshViews(session.window, catalogue, view::kAllFiles, [&] { KeepAliveIfDue(session); });
}

void ResetAll(Session& session) {
    session.catalogue.Reset();
    RefreshViews(session.window, session.catalogue, view::kReset);
}

void Search(Session& session) {
    Window& window = session.window;
    WorkScope work(window);
    {
        ProgressBar bar(window);
        bar.Show();
        FindDuplicates(session.catalogue, session.fileSystem, [&](std::uint64_t done, std::uint64_t total) {
            bar.Report(done, total);
            window.KeepAlive();  // the search reports every few milliseconds
        });
    }
    RefreshViews(window, session.catalogue, view::kGroups, [&] { KeepAliveIfDue(session); });
}

void ShowSelectedGroup(Session& session) {
    RefreshViews(session.window, session.catalogue, view::kMembers);
}

}  // namespace zwf
