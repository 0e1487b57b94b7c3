#include "catalogue/ListAhead.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace zwf {

// A folder the scan will enter: due, being listed, or listed and waiting for the scan.
struct ListAhead::Folder {
    std::weak_ptr<FolderHandle> parent;  // held by the scan, or by the listing it came from
    DirEntry entry;
    std::string relative;  // its path below the start folder
    bool started = false, done = false;
    Listed listed{};
    std::exception_ptr failure{};
};

// Depth first in pre-order, each folder's subfolders in byte order of their names: the paths below
// the start compared name by name, a folder before what lies in it.
bool ListAhead::ScanOrder::operator()(const std::shared_ptr<Folder>& a, const std::shared_ptr<Folder>& b) const {
    const auto [inA, inB] = std::ranges::mismatch(a->relative, b->relative);
    if (inB == b->relative.end())
        return false;  // the same, or b holds a
    if (inA == a->relative.end())
        return true;  // a holds b
    const auto rank = [this](char c) { return c == separator ? 0 : static_cast<unsigned char>(c) + 1; };
    return rank(*inA) < rank(*inB);
}

ListAhead::ListAhead(FileSystem& fileSystem, EntersFn enters, unsigned threads)
    : m_fs(fileSystem), m_enters(std::move(enters)), m_warmThreads(threads), m_due(ScanOrder{fileSystem.Separator()}) {
    if (threads == 0)
        return;
    const unsigned count = std::max(threads, kThreadsFromDisk);
    m_threads = std::make_unique<ThreadPool>(count);
    m_threads->Start(count, [this](std::size_t, unsigned worker) { Serve(worker); });
}

ListAhead::~ListAhead() {
    if (!m_threads)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_threads->Stop();
    }
    m_wake.notify_all();
    m_coldWake.notify_all();
    m_threads->Wait();  // a listing in progress stops at its next step
}

void ListAhead::Start(const std::shared_ptr<FolderHandle>& folder, const FolderListing& listing) {
    if (!m_threads)
        return;
    std::vector<std::shared_ptr<Folder>> subfolders = Subfolders(folder, listing, {});
    std::lock_guard lock(m_mutex);
    Due(std::move(subfolders), listing.fromDisk);
}

// Under the lock: whether a thread may start listing one more folder now.
bool ListAhead::MayStart() const {
    const bool room =
        m_fromDisk >= kListingsFromDisk ? m_held < kHeldFromDisk && m_heldEntries < kEntriesFromDisk : m_held < kHeld;
    return room && m_due.size() >= (m_held == 0 ? 2u : 1u);
}

void ListAhead::Serve(unsigned worker) {
    std::unique_lock lock(m_mutex);
    // The threads beyond those for a warm cache wait apart, so that they are not woken in vain.
    if (worker >= m_warmThreads)
        m_coldWake.wait(lock, [this] { return m_threads->Stopping() || m_fromDisk >= kListingsFromDisk; });
    for (;;) {
        // With nothing listed ahead, the first folder due is the one the scan reaches next: a thread
        // that listed it would keep the scan waiting, and in a chain of single folders every time.
        m_wake.wait(lock, [&] { return m_threads->Stopping() || MayStart(); });
        if (m_threads->Stopping())
            return;
        const auto next = m_held == 0 ? std::next(m_due.begin()) : m_due.begin();
        const std::shared_ptr<Folder> folder = std::move(*next);
        m_due.erase(next);
        std::shared_ptr<FolderHandle> parent = folder->parent.lock();
        if (folder->started || !parent)
            continue;  // taken by the scan meanwhile, or its parent let go: listed when the scan asks
        folder->started = true;
        ++m_held;
        lock.unlock();
        std::vector<std::shared_ptr<Folder>> subfolders;
        try {
            folder->listed = OpenAndList(*parent, folder->entry, [this] {
                if (m_threads->Stopping())
                    throw Stopped{};
            });
            parent.reset();
            // Where the listing is not whole, the scan lists the folder again itself.
            const Listed& listed = folder->listed;
            if (listed.folder && !listed.listing.error)
                subfolders = Subfolders(listed.folder, listed.listing, folder->relative);
        } catch (const Stopped&) {
            // Nobody takes it any more.
        } catch (...) {
            folder->failure = std::current_exception();
        }
        lock.lock();
        Due(std::move(subfolders), folder->listed.listing.fromDisk);
        m_heldEntries += folder->listed.listing.entries.size();
        folder->done = true;
        m_done.notify_one();  // only the scan waits for it
    }
}

ListAhead::Listed ListAhead::Take(const std::string& relative, const DirEntry& entry, const ParentFn& parent,
                                  const std::function<void()>& between) {
    std::shared_ptr<Folder> folder;
    {
        std::unique_lock lock(m_mutex);
        if (const auto found = m_folders.find(relative); found != m_folders.end()) {
            folder = std::move(found->second);
            m_folders.erase(found);
        }
        if (!folder || !folder->started) {
            if (folder)
                folder->started = true;
            lock.unlock();
            return ListHere(relative, entry, parent, between);
        }
        WaitKeepingAlive(
            lock, m_done, [&] { return folder->done; }, between);
        --m_held;
        m_heldEntries -= folder->listed.listing.entries.size();
        if (MayStart())
            m_wake.notify_one();  // room for one more
    }
    if (folder->failure)
        std::rethrow_exception(folder->failure);
    // What the threads could not open or list in full, the scan tries again itself.
    if (!folder->listed.folder || folder->listed.listing.error)
        return ListHere(relative, entry, parent, between);
    return std::move(folder->listed);
}

ListAhead::Listed ListAhead::ListHere(const std::string& relative, const DirEntry& entry, const ParentFn& parent,
                                      const std::function<void()>& between) {
    Listed listed;
    FolderHandle* parentHandle = parent(listed.error);
    if (!parentHandle)
        return listed;
    listed = OpenAndList(*parentHandle, entry, between);
    // The scan enters a folder with what could be read of it.
    if (m_threads && listed.folder && !(listed.listing.error && listed.listing.entries.empty())) {
        std::vector<std::shared_ptr<Folder>> subfolders = Subfolders(listed.folder, listed.listing, relative);
        std::lock_guard lock(m_mutex);
        Due(std::move(subfolders), listed.listing.fromDisk);
    }
    return listed;
}

ListAhead::Listed ListAhead::OpenAndList(FolderHandle& parent, const DirEntry& entry,
                                         const std::function<void()>& between) {
    Listed listed;
    listed.folder = m_fs.OpenSubfolder(parent, entry.name, entry.identity, listed.error);
    if (listed.folder)
        listed.listing = m_fs.ListInSteps(*listed.folder, between);
    return listed;
}

// The subfolders of a folder listed that the scan enters, in the order it does; relative is the
// folder's path below the start folder.
std::vector<std::shared_ptr<ListAhead::Folder>> ListAhead::Subfolders(const std::shared_ptr<FolderHandle>& folder,
                                                                      const FolderListing& listing,
                                                                      const std::string& relative) const {
    std::vector<std::shared_ptr<Folder>> subfolders;
    for (const DirEntry& entry : listing.entries) {
        if (entry.kind != EntryKind::Folder)
            continue;
        std::string path = relative.empty() ? entry.name : relative + m_fs.Separator() + entry.name;
        if (m_enters(entry, path))
            subfolders.push_back(std::make_shared<Folder>(Folder{folder, entry, std::move(path)}));
    }
    return subfolders;
}

// Under the lock: makes the subfolders due and counts the listing they come from. A large folder
// is only remembered, for the scan to list when it gets there.
void ListAhead::Due(std::vector<std::shared_ptr<Folder>> subfolders, bool fromDisk) {
    const bool wasFromDisk = m_fromDisk >= kListingsFromDisk;
    m_fromDisk += fromDisk ? 1 : 0;
    for (std::shared_ptr<Folder>& folder : subfolders) {
        if (folder->entry.size <= kLargestListedAhead)
            m_due.insert(folder);  // each folder's subfolders are made due once
        m_folders[folder->relative] = std::move(folder);
    }
    if (!subfolders.empty() && MayStart())
        m_wake.notify_all();
    if (!wasFromDisk && m_fromDisk >= kListingsFromDisk)
        m_coldWake.notify_all();
}

}  // namespace zwf
