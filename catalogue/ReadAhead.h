#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Threads.h"

namespace zwf {

// Lists the folders below a scan's start folder on threads of its own, ahead of the scan, and
// throws what it read away: a scan that waits for a disk for every folder and every file it
// examines (a cold cache) then finds most of them in the system's caches, while a disk given
// many requests at once answers them sooner. The scan still reads everything itself, so what it
// catalogues does not depend on this.
//
// It enters only the folders the scan would: opened through their parents, never through a link,
// only while they are the folder listed, and not those the scan leaves out (enters). It lists at
// most `ahead` entries more than the scan has (Walked), and stops when destroyed.
class FolderReadAhead {
public:
    // Whether the scan enters a folder: its entry, and its path below the start folder.
    using EntersFn = std::function<bool(const DirEntry& folder, const std::string& relative)>;

    static constexpr std::size_t kAhead = 50000;
    // Every folder read ahead holds its parent open until it is read; deeper ones are left to the
    // scan, so that a deep tree cannot take the descriptors the scan needs.
    static constexpr std::size_t kDeepest = 24;

    // walked: the entries the scan has listed already; ahead: how many more it may list.
    FolderReadAhead(FileSystem& fileSystem, std::shared_ptr<FolderHandle> start, EntersFn enters, unsigned threads,
                    std::size_t walked = 0, std::size_t ahead = kAhead);
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead&) = delete;
    FolderReadAhead& operator=(const FolderReadAhead&) = delete;

    // The scan has listed this many more entries.
    void Walked(std::size_t entries);
    // Entries listed ahead so far (for tests).
    std::size_t Listed();

private:
    struct Due {
        std::shared_ptr<FolderHandle> parent;  // none for the start folder
        DirEntry entry;
        std::string relative;  // "" for the start folder
        std::size_t depth = 0;  // below the start folder
    };
    struct Stopped {};

    void Serve();
    void Read(Due due);

    FileSystem& m_fs;
    const std::shared_ptr<FolderHandle> m_start;
    const EntersFn m_enters;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Due> m_due;  // a stack: the first subfolder of the folder read last comes next
    std::size_t m_listed = 0, m_walked = 0;
    const std::size_t m_ahead;
    unsigned m_reading = 0, m_waitingForRoom = 0;
    ThreadPool m_threads;  // last: stopped before the rest goes
};

}  // namespace zwf
