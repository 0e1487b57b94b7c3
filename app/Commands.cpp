#include "app/Commands.h"

#include <limits>

#include "app/FolderPicker.h"
#include "app/Layout.h"
#include "app/MainViews.h"
#include "app/Texts.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "views/LineTexts.h"

namespace zwf {

namespace {

int Percent(std::uint64_t done, std::uint64_t total) {
    if (total == 0 || done >= total)
        return total == 0 ? 0 : 100;
    // done < total, so done * 100 only overflows beyond 184 petabytes; divide first there.
    if (done > std::numeric_limits<std::uint64_t>::max() / 100)
        return static_cast<int>(done / (total / 100));
    return static_cast<int>(done * 100 / total);
}

}  // namespace

void AddFolder(Session& session) {
    Catalogue& catalogue = session.catalogue;
    std::string picked =
        FolderPicker(session.window, session.fileSystem, texts::kFolderDialogTitle, catalogue.lastFolder);
    if (picked.empty() || picked == catalogue.lastFolder)
        return;
    catalogue.lastFolder = std::move(picked);
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
        window.ShowProgressBar(true);
        window.SetProgress(0);
        int shown = 0;
        FindDuplicates(session.catalogue, session.fileSystem, [&](std::uint64_t done, std::uint64_t total) {
            if (const int percent = Percent(done, total); percent != shown) {
                shown = percent;
                window.SetProgress(percent);
            }
            window.KeepAlive();  // the search reports every few milliseconds
        });
        window.ShowProgressBar(false);
    }
    RefreshViews(window, session.catalogue, view::kGroups);
}

void ShowSelectedGroup(Session& session) {
    RefreshViews(session.window, session.catalogue, view::kMembers);
}

}  // namespace zwf
