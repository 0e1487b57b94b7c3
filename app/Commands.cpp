#include "app/Commands.h"

#include "app/FolderPicker.h"
#include "app/Layout.h"
#include "app/MainViews.h"
#include "app/Texts.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "views/LineTexts.h"

namespace zwf {

void AddFolder(Session& session) {
    Catalogue& catalogue = session.catalogue;
    if (!TakeAddedFolder(catalogue, session.fileSystem,
                         FolderPicker(session.window, session.fileSystem, texts::kFolderDialogTitle,
                                      catalogue.lastFolder)))
        return;
    {
        WorkScope work(session.window);
        ScanFolder(catalogue, session.fileSystem, catalogue.lastFolder, [&](std::size_t) {
            if (!session.pacer.Due())
                return;
            session.window.SetText(ctl::kAllFilesLabel, CountLabel(texts::kAllFiles, catalogue.allFiles.size()));
            session.window.KeepAlive();
        });
    }
    RefreshViews(session.window, catalogue, view::kAllFiles);
}

void ResetAll(Session& session) {
    session.catalogue.Reset();
    RefreshViews(session.window, session.catalogue, view::kReset);
}

void Search(Session& session) {
    Window& window = session.window;
    {
        WorkScope work(window);
        ProgressBar bar(window);
        bar.Show();
        FindDuplicates(session.catalogue, session.fileSystem, [&](std::uint64_t done, std::uint64_t total) {
            bar.Report(done, total);
            window.KeepAlive();  // the search reports every few milliseconds
        });
    }
    RefreshViews(window, session.catalogue, view::kGroups);
}

void ShowSelectedGroup(Session& session) {
    RefreshViews(session.window, session.catalogue, view::kMembers);
}

}  // namespace zwf
