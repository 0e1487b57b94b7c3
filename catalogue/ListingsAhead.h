#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Threads.h"

namespace zwf {

// Opens and lists subfolders on threads of its own before the scan reaches them, and hands each
// one to the scan when it gets there. A folder is opened exactly as the scan would open it, through
// the parent handle the scan gives, as the entry of the parent's listing it names (never a link,
// refused when it is no longer that folder), so the scan's checks, its order and what it
// catalogues stay its own; only the waiting for the system is shared among threads.
//
// At most `most` folders are asked for and not yet taken: each holds a listing and a descriptor
// or two until it is taken. They are listed in the order the scan reaches them: a scan going depth
// first reaches every folder asked for below the one it is in before any asked for higher up, and
// those of one depth in the order it asked for them.
class ListingsAhead {
public:
    using Ticket = std::size_t;

    // A subfolder asked for: the folder it is in, its entry in that folder's listing, and how
    // deep it lies below the scan's start.
    struct Request {
        std::shared_ptr<FolderHandle> parent;
        std::string name;
        FileIdentity identity;
        std::size_t depth = 0;
    };

    // What opening and listing one subfolder gave.
    struct Listed {
        std::unique_ptr<FolderHandle> folder;  // none when it could not be opened
        std::error_code error;                 // why not
        FolderListing listing;
    };

    ListingsAhead(FileSystem& fileSystem, unsigned threads, std::size_t most);
    ~ListingsAhead();
    ListingsAhead(const ListingsAhead&) = delete;
    ListingsAhead& operator=(const ListingsAhead&) = delete;

    // How many more folders may be asked for now.
    std::size_t Room();
    // Asks for the subfolders; a ticket for each, in order.
    std::vector<Ticket> Ask(std::vector<Request> requests);
    // The folder asked for with ticket, once it is listed; one not started yet is listed on the
    // calling thread. Calls between() now and then while it lists or waits. Rethrows what listing
    // it threw (out of memory), and what between() throws.
    Listed Take(Ticket ticket, const std::function<void()>& between);

private:
    struct Job {
        Request request;
        Listed result;
        std::exception_ptr failure;
        bool started = false, done = false;
    };
    struct Stopped {};

    void Serve();
    void Run(Job& job, const std::function<void()>& between);

    FileSystem& m_fs;
    const std::size_t m_most;
    std::mutex m_mutex;
    std::condition_variable m_wake;  // for the threads: a job is due, or stop
    std::condition_variable m_done;  // for the scan: a job is done
    std::unordered_map<Ticket, std::unique_ptr<Job>> m_jobs;  // asked for and not yet taken
    std::set<std::pair<std::size_t, Ticket>> m_due;  // not started, by the scan's order: deepest first
    Ticket m_next = 0;
    ThreadPool m_threads;  // last: stopped before the rest goes
};

}  // namespace zwf
