#include "catalogue/ReadAhead.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace zwf {

FolderReadAhead::FolderReadAhead(FileSystem& fileSystem, std::shared_ptr<FolderHandle> start, EntersFn enters,
                                 unsigned threads, std::size_t walked, std::size_t ahead)
    : m_fs(fileSystem), m_start(std::move(start)), m_enters(std::move(enters)), m_walked(walked), m_ahead(ahead),
      m_threads(threads) {
    m_due.push_back(Due{});
    m_threads.Start(threads, [this](std::size_t, unsigned) { Serve(); });
}

FolderReadAhead::~FolderReadAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_threads.Stop();
    }
    m_wake.notify_all();
    m_threads.Wait();
}

// The threads are woken only where one waits for room, and once the scan has caught up by a step:
// waking them for every folder the scan lists cost more system calls than the listings.
void FolderReadAhead::Walked(std::size_t entries) {
    constexpr std::size_t kStep = 1024;
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_walked += entries;
        wake = m_waitingForRoom > 0 && m_listed + std::min(kStep, m_ahead) <= m_walked + m_ahead;
    }
    if (wake)
        m_wake.notify_all();
}

std::size_t FolderReadAhead::Listed() {
    std::lock_guard lock(m_mutex);
    return m_listed;
}

void FolderReadAhead::Serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        const bool room = m_listed < m_walked + m_ahead;
        m_waitingForRoom += room ? 0 : 1;
        m_wake.wait(lock, [this] {
            return m_threads.Stopping() || (!m_due.empty() && m_listed < m_walked + m_ahead) ||
                   (m_due.empty() && m_reading == 0);
        });
        m_waitingForRoom -= room ? 0 : 1;
        if (m_threads.Stopping() || m_due.empty())
            return;  // stopped, or every folder read
        Due due = std::move(m_due.back());
        m_due.pop_back();
        ++m_reading;
        lock.unlock();
        try {
            Read(std::move(due));
        } catch (...) {
            // Only a help: out of memory, or stopped part-way, the scan goes on by itself.
        }
        lock.lock();
        --m_reading;
        m_wake.notify_all();
    }
}

void FolderReadAhead::Read(Due due) {
    std::error_code error;
    std::shared_ptr<FolderHandle> folder =
        due.parent ? m_fs.OpenSubfolder(*due.parent, due.entry.name, due.entry.identity, error) : m_start;
    due.parent.reset();
    if (!folder)
        return;
    FolderListing listing = m_fs.ListInSteps(*folder, [this] {
        if (m_threads.Stopping())
            throw Stopped{};
    });
    std::vector<Due> subfolders;
    for (auto entry = listing.entries.rbegin(); entry != listing.entries.rend(); ++entry) {
        if (entry->kind != EntryKind::Folder || due.depth == kDeepest)
            continue;
        std::string relative = due.relative.empty() ? entry->name : due.relative + m_fs.Separator() + entry->name;
        if (m_enters(*entry, relative))
            subfolders.push_back(Due{folder, std::move(*entry), std::move(relative), due.depth + 1});
    }
    std::lock_guard lock(m_mutex);
    m_listed += listing.entries.size();
    std::move(subfolders.begin(), subfolders.end(), std::back_inserter(m_due));
}

}  // namespace zwf
