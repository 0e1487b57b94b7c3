#include "app/Commands.h"

#include "app/FolderPicker.h"
#include "app/Layout.h"
#include "app/MainViews.h"
#include "app/Recovery.h"
#include "app/Texts.h"
#include "app/WorkBeside.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "views/LineTexts.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace zwf {

namespace {

void KeepAliveIfDue(Session& session) {
    if (session.pacer.Due())
        session.window.KeepAlive();
}

// After a command ran out of memory and put the catalogue back: the view (kAllFiles or kGroups)
// and its counter show the catalogue again. The list is made anew only when the command got as
// far as replacing it.
void ShowAgain(Session& session, int mode) {
    const Catalogue& catalogue = session.catalogue;
    const bool files = mode == view::kAllFiles;
    const std::size_t count = files ? catalogue.allFiles.size() : catalogue.groups.size();
    const int list = files ? ctl::kAllFilesList : ctl::kGroupList;
    if (static_cast<std::size_t>(session.window.LineCount(list)) != count)
        RefreshViews(session.window, catalogue, mode);
    session.window.SetText(files ? ctl::kAllFilesLabel : ctl::kGroupsLabel,
                           CountLabel(files ? texts::kAllFiles : texts::kSameContent, count));
}

// Scans the folder on a thread of its own while this one keeps the window alive and shows each
// count the scan reports, in order. Whatever the scan throws is thrown here, once it has ended.
// Returns what the scan reports.
ScanReport ScanKeepingAlive(Session& session, const std::string& folder,
                            const std::function<void(std::size_t)>& shown) {
    ScanReport report;
    std::mutex mutex;
    std::vector<std::size_t> counts;
    WorkBeside beside;
    beside.Run(
        [&] {
            report = ScanFolder(session.catalogue, session.fileSystem, folder, [&](std::size_t found) {
                beside.EndIfNotShown();
                std::lock_guard lock(mutex);
                counts.push_back(found);
            });
        },
        [&] {
            std::vector<std::size_t> taken;
            {
                std::lock_guard lock(mutex);
                taken = std::exchange(counts, {});
            }
            for (std::size_t found : taken)
                shown(found);
            if (taken.empty())
                KeepAliveIfDue(session);
        });
    return report;
}

// Searches on a thread of its own while this one keeps the window alive and moves the bar to the
// latest progress reported. Whatever the search throws is thrown here, once it has ended.
void SearchKeepingAlive(Session& session) {
    ProgressBar bar(session.window);
    bar.Show();
    std::mutex mutex;
    std::pair<std::uint64_t, std::uint64_t> latest;  // done and total; a total of 0 until the first report
    WorkBeside beside;
    beside.Run(
        [&] {
            FindDuplicates(session.catalogue, session.fileSystem, [&](std::uint64_t done, std::uint64_t total) {
                beside.EndIfNotShown();
                std::lock_guard lock(mutex);
                latest = {done, total};
            });
        },
        [&] {
            std::pair<std::uint64_t, std::uint64_t> now;
            {
                std::lock_guard lock(mutex);
                now = latest;
            }
            if (now.second != 0)
                bar.Report(now.first, now.second);
            KeepAliveIfDue(session);
        });
}

}  // namespace

void AddFolder(Session& session) {
    Catalogue& catalogue = session.catalogue;
    Catalogue::Mark before = catalogue.MarkNow();
    if (!TakeAddedFolder(
            catalogue, session.fileSystem,
            FolderPicker(session.window, session.fileSystem, texts::kFolderDialogTitle, catalogue.lastFolder)))
        return;
    try {
        ScanReport report;
        {
            WorkScope work(session.window);
            report = ScanKeepingAlive(session, catalogue.lastFolder, [&](std::size_t found) {
                if (!session.pacer.Due())
                    return;
                session.window.SetText(ctl::kAllFilesLabel, CountLabel(texts::kAllFiles, before.files + found));
                session.window.KeepAlive();
            });
            // Making the lines of a million files takes a while too.
            RefreshViews(session.window, catalogue, view::kAllFiles, [&] { KeepAliveIfDue(session); });
        }
        // What the scan did to the leftovers of interrupted steps it met, in one message.
        if (!report.leftovers.empty())
            session.window.ShowMessage(texts::kWindowTitle, LeftoversText(report.leftovers, catalogue.Separator()));
    } catch (const std::bad_alloc&) {
        // The folder is left out whole, so that adding it again scans it again.
        catalogue.BackTo(std::move(before));
        ShowAgain(session, view::kAllFiles);
        session.window.ShowMessage(texts::kWindowTitle, texts::kNoMemoryToAdd);
    }
}

void ResetAll(Session& session) {
    session.catalogue.Reset();
    RefreshViews(session.window, session.catalogue, view::kReset);
}

void Search(Session& session) {
    Window& window = session.window;
    Catalogue& catalogue = session.catalogue;
    // The groups found before, put back should the search run out of memory.
    std::vector<DuplicateGroup> groupsBefore = std::move(catalogue.groups);
    MemberList membersBefore = std::move(catalogue.groupMembers);
    catalogue.ClearGroups();
    try {
        WorkScope work(window);
        SearchKeepingAlive(session);
        RefreshViews(window, catalogue, view::kGroups, [&] { KeepAliveIfDue(session); });
    } catch (const std::bad_alloc&) {
        catalogue.groups = std::move(groupsBefore);
        catalogue.groupMembers = std::move(membersBefore);
        ShowAgain(session, view::kGroups);
        window.ShowMessage(texts::kWindowTitle, texts::kNoMemoryToSearch);
    }
}

void ShowSelectedGroup(Session& session) { RefreshViews(session.window, session.catalogue, view::kMembers); }

}  // namespace zwf
