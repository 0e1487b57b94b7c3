#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Threads.h"

namespace zwf {

// Opens and lists the folders below a scan's start folder on threads of its own, before the scan
// reaches them and in the order it does (depth first, in pre-order), and hands each listing to the
// scan when it gets there. A folder is opened exactly as the scan would open it: through its
// parent, as the entry of the parent's listing the scan has (never a link, refused when it is no
// longer that folder), and only where the scan enters it (enters). So the scan's checks, its order
// and what it catalogues stay its own; only the waiting for the system is shared among threads.
//
// It holds few listings at once, each with its folder's descriptor, until the scan takes them; the
// folders they are in it does not hold (the scan does), so a deep tree costs it no descriptors. A
// folder whose own size shows tens of thousands of entries is listed when the scan asks for it: the
// memory of a listing made on another thread stays with that thread's heap. Once listings show a
// disk being waited for, it runs further ahead with more threads: a disk given many requests at
// once answers them sooner.
class ListAhead {
public:
    // Whether the scan enters a folder: its entry, and its path below the start folder.
    using EntersFn = std::function<bool(const DirEntry& folder, const std::string& relative)>;
    // The handle of the folder the scan is in, where a folder must be opened on the scan's thread.
    using ParentFn = std::function<FolderHandle*(std::error_code& error)>;

    // What opening and listing one folder gave.
    struct Listed {
        std::shared_ptr<FolderHandle> folder;  // none when it could not be opened
        std::error_code error;                 // why not
        FolderListing listing;
    };

    // No threads (where the file system lists from one thread only): each folder is opened and
    // listed when the scan asks for it.
    ListAhead(FileSystem& fileSystem, EntersFn enters, unsigned threads);
    ~ListAhead();
    ListAhead(const ListAhead&) = delete;
    ListAhead& operator=(const ListAhead&) = delete;

    // The scan starts in folder, listed so.
    void Start(const std::shared_ptr<FolderHandle>& folder, const FolderListing& listing);
    // The subfolder entry of the folder the scan is in, relative its path below the start: opened
    // and listed ahead, or here when it was not (parent gives the scan's handle then), or again
    // here when the threads could not open or list it in full. Calls between() now and then while
    // it lists or waits. Rethrows what listing it threw (out of memory), and what between() throws.
    Listed Take(const std::string& relative, const DirEntry& entry, const ParentFn& parent,
                const std::function<void()>& between);

    // How far it lists ahead at most: listings held, and their entries once a disk is waited for.
    static constexpr std::size_t kHeld = 64, kHeldFromDisk = 256, kEntriesFromDisk = 50000;
    // Once this many listings were found waiting for a disk (not every listing tells), it lists
    // further ahead.
    static constexpr std::size_t kListingsFromDisk = 8;
    static constexpr unsigned kThreadsFromDisk = 8;
    static constexpr std::uint64_t kLargestListedAhead = 1 << 20;  // bytes of the folder itself

private:
    struct Folder;
    struct Stopped {};

    void Serve(unsigned worker);
    bool MayStart() const;
    Listed OpenAndList(FolderHandle& parent, const DirEntry& entry, const std::function<void()>& between);
    Listed ListHere(const std::string& relative, const DirEntry& entry, const ParentFn& parent,
                    const std::function<void()>& between);
    std::vector<std::shared_ptr<Folder>> Subfolders(const std::shared_ptr<FolderHandle>& folder,
                                                    const FolderListing& listing, const std::string& relative) const;
    void Due(std::vector<std::shared_ptr<Folder>> subfolders, bool fromDisk);

    FileSystem& m_fs;
    const EntersFn m_enters;
    const unsigned m_warmThreads;
    std::mutex m_mutex;
    std::condition_variable m_wake;      // for the threads: a folder is due, room, or stop
    std::condition_variable m_coldWake;  // for the threads beyond the warm ones: a disk is waited for
    std::condition_variable m_done;      // for the scan: a folder is listed
    std::unordered_map<std::string, std::shared_ptr<Folder>> m_folders;  // due or listed, not yet taken
    // In the order the scan reaches them, the next first.
    struct ScanOrder {
        char separator;
        bool operator()(const std::shared_ptr<Folder>& a, const std::shared_ptr<Folder>& b) const;
    };
    std::set<std::shared_ptr<Folder>, ScanOrder> m_due;
    std::size_t m_held = 0, m_heldEntries = 0, m_fromDisk = 0;
    std::unique_ptr<ThreadPool> m_threads;  // last: stopped before the rest goes
};

}  // namespace zwf
