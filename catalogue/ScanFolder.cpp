#include "catalogue/ScanFolder.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "catalogue/Glob.h"
#include "catalogue/ListAhead.h"
#include "platform/AsideNames.h"

namespace zwf {

namespace {

// Folders held open at once below the start folder. Deeper trees drop the shallowest handles
// and open them again, through the start folder, when a subfolder of theirs is due.
constexpr std::size_t kHeldFolders = 32;

// One folder being walked: its listing, read once, how far the walk has come in it, and the
// folder itself held open while the walk may still need to enter its subfolders.
struct Level {
    FolderId id;
    std::vector<DirEntry> entries;
    std::size_t next = 0;
    std::shared_ptr<FolderHandle> handle;  // shared with the listing ahead
    std::size_t pathLength = 0;            // of its full text, the start of the walk's path
};

std::string_view WithoutTrailingSeparator(std::string_view folder, char separator) {
    if (!folder.empty() && folder.back() == separator)
        folder.remove_suffix(1);
    return folder;
}

// The files found are kept in blocks until the scan ends: the catalogue then grows once,
// instead of doubling while the scan runs, each time moving every file it holds at once (a tenth
// of a second and more for a million files). Blocks grow to 4 MiB, so a million files need few,
// and each is freed as soon as it has been moved.
class FoundFiles {
public:
    void Add(FileEntry&& entry) {
        if (m_blocks.empty() || m_blocks.back().size() == m_blocks.back().capacity()) {
            const std::size_t grown = std::size_t{1024} << std::min<std::size_t>(m_blocks.size(), 16);
            const std::size_t size = std::min(kLargestBlock, grown);
            m_blocks.emplace_back();
            m_blocks.back().reserve(size);
        }
        m_blocks.back().push_back(std::move(entry));
    }

    // Moves the count files found to the end of all, all or none: nothing is called in between
    // that could stop it halfway.
    void MoveTo(std::vector<FileEntry>& all, std::size_t count) {
        // At least doubled when it must grow, so that many small folders added one after another
        // move a large catalogue seldom.
        if (const std::size_t needed = all.size() + count; needed > all.capacity())
            all.reserve(std::max(needed, 2 * all.size()));
        for (std::vector<FileEntry>& block : m_blocks) {
            all.insert(all.end(), std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
            block = {};
        }
        m_blocks.clear();
    }

private:
    static constexpr std::size_t kLargestBlock = (std::size_t{4} << 20) / sizeof(FileEntry);
    std::vector<std::vector<FileEntry>> m_blocks;  // in order
};

// What the filter leaves out: an entry, by its path below the folder scanned.
struct LeftOutBy {
    const ScanFilter& filter;
    char separator;
    std::uint64_t startVolume = 0;

    bool operator()(const DirEntry& entry, const std::string& relative) const {
        if (entry.kind == EntryKind::File && (entry.size < filter.minSize || entry.size > filter.maxSize))
            return true;
        if (entry.kind == EntryKind::Folder && filter.oneFileSystem && entry.identity.Known() &&
            entry.identity.volume != startVolume)
            return true;
        if (entry.kind == EntryKind::Other || filter.excludes.empty())
            return false;
        return std::any_of(filter.excludes.begin(), filter.excludes.end(), [&](const std::string& pattern) {
            return GlobMatches(pattern, entry.name, separator) || GlobMatches(pattern, relative, separator);
        });
    }
};

bool OutOfDescriptors(std::error_code error) {
    return error == std::errc::too_many_files_open || error == std::errc::too_many_files_open_in_system;
}

// The walk keeps its levels on its own stack, so a tree of any depth fits.
class Walk {
public:
    Walk(Catalogue& catalogue, FileSystem& fileSystem, const ScanProgressFn& progress, const ScanFilter& filter,
         ScanReport& report)
        : m_catalogue(catalogue), m_fs(fileSystem), m_progress(progress), m_leftOut{filter, catalogue.Separator()},
          m_report(report) {
        // Progress also while a folder of hundreds of thousands of files is listed.
        if (m_progress)
            m_between = [this] { m_progress(m_report.filesAdded); };
    }

    void Run(std::string_view folder) {
        const std::string text(WithoutTrailingSeparator(folder, m_catalogue.Separator()));
        std::unique_ptr<FolderHandle> start = m_fs.OpenFolder(text, m_report.startError);
        if (!start)
            return;
        FolderListing listing = m_fs.ListInSteps(*start, m_between);
        if (listing.error && listing.entries.empty()) {
            m_report.startError = listing.error;
            return;
        }
        if (listing.error)
            m_report.problems.push_back({text, listing.error});
        const FolderId id = m_catalogue.folders.Intern(text, start->Identity());
        m_leftOut.startVolume = start->Identity().volume;
        m_path = text;
        m_startLength = m_path.size();
        std::shared_ptr<FolderHandle> held = std::move(start);
        m_ahead = MakeListAhead();
        m_ahead->Start(held, listing);
        m_stack.push_back(Level{id, std::move(listing.entries), 0, std::move(held), m_path.size()});
        Descend();
        m_ahead.reset();
        m_found.MoveTo(m_catalogue.allFiles, m_report.filesAdded);
        if (m_progress)
            m_progress(m_report.filesAdded);
    }

private:
    void Descend() {
        constexpr std::size_t kProgressEvery = 1024;
        while (!m_stack.empty()) {
            Level& current = m_stack.back();
            if (current.next == current.entries.size()) {
                m_stack.pop_back();
                m_heldFrom = std::min(m_heldFrom, m_stack.size());
                if (!m_stack.empty())
                    m_path.resize(m_stack.back().pathLength);
                continue;
            }
            DirEntry& entry = current.entries[current.next++];
            if (entry.kind == EntryKind::File && IsPrivateName(entry.name)) {
                Recover(entry.name);  // whatever the filter says; a file it puts back faces it
                continue;
            }
            if (LeftOutIn(entry, m_path.size())) {
                ++m_report.filteredOut;
                continue;
            }
            switch (entry.kind) {
            case EntryKind::File:
                m_found.Add(FileEntry{current.id, std::move(entry.name), entry.size, entry.identity});
                if (++m_report.filesAdded % kProgressEvery == 0 && m_progress)
                    m_progress(m_report.filesAdded);
                break;
            case EntryKind::Folder:
                // Enter() may move the stack: `current` is not used after it.
                if (Enter(entry) && m_progress)
                    m_progress(m_report.filesAdded);  // slow folders with few files still show life
                break;
            case EntryKind::Other: ++m_report.othersSkipped; break;
            }
        }
    }

    // Finishes or undoes the step that left the private name in the folder on top of the stack,
    // and catalogues the file under the name it has then, where the filter takes it.
    void Recover(const std::string& privateName) {
        std::error_code error;
        FolderHandle* folder = TopHandle(error);
        using enum Leftover::Outcome;
        Leftover leftover = folder ? RecoverLeftover(m_fs, *folder, m_path, privateName)
                                   : Leftover{Failed, m_path, privateName, {}, {}, error};
        if (leftover.outcome == Gone)
            return;
        if (folder && (leftover.outcome == Restored || leftover.outcome == Beside)) {
            const FileStatus status = m_fs.StatIn(*folder, leftover.now);
            const DirEntry entry{leftover.now, status.kind, status.size, status.identity};
            if (!status.error && status.kind == EntryKind::File && !LeftOutIn(entry, m_path.size())) {
                m_found.Add(FileEntry{m_stack.back().id, entry.name, entry.size, entry.identity});
                ++m_report.filesAdded;
            }
        }
        m_report.leftovers.push_back(std::move(leftover));
    }

    // Whether the filter leaves out the entry of the folder whose full text is m_path's first
    // folderLength characters: a folder left out is not entered.
    bool LeftOutIn(const DirEntry& entry, std::size_t folderLength) const {
        if (entry.kind == EntryKind::Other || m_leftOut.filter.excludes.empty())
            return m_leftOut(entry, {});
        // The path below the folder scanned, without its leading separator.
        const std::size_t from = std::min(folderLength, m_startLength + 1);
        std::string relative = m_path.substr(from, folderLength - from);
        if (!relative.empty())
            relative.push_back(m_catalogue.Separator());
        relative.append(entry.name);
        return m_leftOut(entry, relative);
    }

    // Where the file system lists from several threads at once, subfolders are listed ahead, by a
    // thread more than there are cores (listing waits for the system now and then); alone, not.
    std::unique_ptr<ListAhead> MakeListAhead() {
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned threads = m_fs.ListsInParallel() && !m_alone ? std::clamp(cores + 1, 2u, 4u) : 0;
        return std::make_unique<ListAhead>(
            m_fs, [this](const DirEntry& entry, const std::string& relative) { return !m_leftOut(entry, relative); },
            threads);
    }

    // Opens the subfolder through the folder on top of the stack, lists it and puts it on the
    // stack; or takes it so opened and listed ahead.
    bool Enter(const DirEntry& entry) {
        const FolderId parent = m_stack.back().id;
        const std::size_t parentLength = m_path.size();
        m_path.push_back(m_catalogue.Separator());
        m_path.append(entry.name);

        ListAhead::Listed listed = Take(entry);
        // The threads listing ahead hold descriptors too: short of them, the walk goes on alone.
        if (OutOfDescriptors(listed.folder ? listed.listing.error : listed.error) && !m_alone) {
            m_alone = true;
            m_ahead = MakeListAhead();
            listed = Take(entry);
        }
        FolderListing& listing = listed.listing;
        if (!listed.folder || (listing.error && listing.entries.empty())) {
            ++m_report.foldersSkipped;
            m_report.problems.push_back({m_path, listed.folder ? listing.error : listed.error});
            m_path.resize(parentLength);
            return false;
        }
        if (listing.error)
            m_report.problems.push_back({m_path, listing.error});
        const FolderId id = m_catalogue.folders.Intern(parent, entry.name, listed.folder->Identity());
        m_stack.push_back(Level{id, std::move(listing.entries), 0, std::move(listed.folder), m_path.size()});
        while (m_stack.size() - m_heldFrom > kHeldFolders)
            m_stack[m_heldFrom++].handle.reset();
        return true;
    }

    ListAhead::Listed Take(const DirEntry& entry) {
        return m_ahead->Take(
            m_path.substr(m_startLength + 1), entry, [this](std::error_code& error) { return TopHandle(error); },
            m_between);
    }

    // The handle of the folder on top of the stack, opened again from the start folder down when
    // it was dropped; each step is checked against the folder the scan entered there.
    FolderHandle* TopHandle(std::error_code& error) {
        const std::size_t top = m_stack.size() - 1;
        if (top == 0 || top >= m_heldFrom)
            return m_stack[top].handle.get();
        const FolderTable& folders = m_catalogue.folders;
        std::unique_ptr<FolderHandle> walking;
        FolderHandle* previous = m_stack[0].handle.get();
        const std::size_t keepFrom = top + 1 > kHeldFolders ? top + 1 - kHeldFolders : 1;
        for (std::size_t level = 1; level <= top; ++level) {
            const FolderId id = m_stack[level].id;
            auto opened = m_fs.OpenSubfolder(*previous, folders.Name(id), folders.Identity(id), error);
            if (!opened)
                return nullptr;
            previous = opened.get();
            if (level >= keepFrom)
                m_stack[level].handle = std::move(opened);
            else
                walking = std::move(opened);
        }
        m_heldFrom = std::max<std::size_t>(keepFrom, 1);
        return m_stack[top].handle.get();
    }

    Catalogue& m_catalogue;
    FileSystem& m_fs;
    const ScanProgressFn& m_progress;
    std::function<void()> m_between;  // for the listings: reports progress, if anyone listens
    LeftOutBy m_leftOut;
    ScanReport& m_report;
    std::size_t m_startLength = 0;  // of the start folder's text in m_path
    FoundFiles m_found;             // this scan's files, not yet in the catalogue
    std::vector<Level> m_stack;
    std::string m_path;                  // the full text of the folder on top of the stack
    std::size_t m_heldFrom = 1;          // levels from here to the top hold their handles; level 0 always does
    bool m_alone = false;                // no more listing ahead
    std::unique_ptr<ListAhead> m_ahead;  // last: stopped before the stack goes
};

}  // namespace

ScanReport ScanFolder(Catalogue& catalogue, FileSystem& fileSystem, std::string_view folder,
                      const ScanProgressFn& progress, const ScanFilter& filter) {
    ScanReport report;
    Walk(catalogue, fileSystem, progress, filter, report).Run(folder);
    return report;
}

std::string AsAddedFolder(std::string folder, const FileSystem& fileSystem) {
    const char separator = fileSystem.Separator();
    while (folder.size() > 1 && folder.back() == separator && !fileSystem.IsRoot(folder))
        folder.pop_back();
    if (!folder.empty() && folder.back() != separator)
        folder.push_back(separator);
    return folder;
}

bool TakeAddedFolder(Catalogue& catalogue, const FileSystem& fileSystem, std::string folder) {
    folder = AsAddedFolder(std::move(folder), fileSystem);
    if (folder.empty() || folder == catalogue.lastFolder)
        return false;
    catalogue.lastFolder = std::move(folder);
    return true;
}

}  // namespace zwf
