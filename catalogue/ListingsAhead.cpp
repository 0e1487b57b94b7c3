#include "catalogue/ListingsAhead.h"

#include <cstdint>
#include <utility>

namespace zwf {

namespace {

// The order of m_due: deeper first.
std::size_t Due(std::size_t depth) { return SIZE_MAX - depth; }

}  // namespace

ListingsAhead::ListingsAhead(FileSystem& fileSystem, unsigned threads, std::size_t most)
    : m_fs(fileSystem), m_most(most), m_threads(threads) {
    m_threads.Start(threads, [this](std::size_t, unsigned) { Serve(); });
}

ListingsAhead::~ListingsAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_threads.Stop();
    }
    m_wake.notify_all();
    m_threads.Wait();  // a listing in progress stops at its next step
}

std::size_t ListingsAhead::Room() {
    std::lock_guard lock(m_mutex);
    return m_jobs.size() < m_most ? m_most - m_jobs.size() : 0;
}

std::vector<ListingsAhead::Ticket> ListingsAhead::Ask(std::vector<Request> requests) {
    std::vector<Ticket> tickets;
    tickets.reserve(requests.size());
    {
        std::lock_guard lock(m_mutex);
        for (Request& request : requests) {
            // Every ticket due has its job, also when memory runs out part-way.
            const std::size_t depth = request.depth;
            m_jobs.emplace(m_next, std::make_unique<Job>(Job{std::move(request), {}, {}}));
            m_due.emplace(Due(depth), m_next);
            tickets.push_back(m_next++);
        }
    }
    if (tickets.size() == 1)
        m_wake.notify_one();
    else
        m_wake.notify_all();
    return tickets;
}

ListingsAhead::Listed ListingsAhead::Take(Ticket ticket, const std::function<void()>& between) {
    std::unique_ptr<Job> job;
    {
        std::unique_lock lock(m_mutex);
        Job& asked = *m_jobs.at(ticket);
        if (!asked.started) {
            asked.started = true;
            m_due.erase({Due(asked.request.depth), ticket});
            lock.unlock();
            Run(asked, between);
            lock.lock();
        }
        WaitKeepingAlive(lock, m_done, [&] { return asked.done; }, between);
        job = std::move(m_jobs.at(ticket));
        m_jobs.erase(ticket);
    }
    if (job->failure)
        std::rethrow_exception(job->failure);
    return std::move(job->result);
}

void ListingsAhead::Serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_threads.Stopping() || !m_due.empty(); });
        if (m_threads.Stopping())
            return;
        Job& job = *m_jobs.at(m_due.begin()->second);
        m_due.erase(m_due.begin());
        job.started = true;
        lock.unlock();
        Run(job, [this] {
            if (m_threads.Stopping())
                throw Stopped{};
        });
        lock.lock();
    }
}

// Opens and lists the folder as the scan does, and marks the job done.
void ListingsAhead::Run(Job& job, const std::function<void()>& between) {
    try {
        Request& request = job.request;
        job.result.folder = m_fs.OpenSubfolder(*request.parent, request.name, request.identity, job.result.error);
        request.parent.reset();
        if (job.result.folder)
            job.result.listing = m_fs.ListInSteps(*job.result.folder, between);
    } catch (const Stopped&) {
        // Nobody takes it any more.
    } catch (...) {
        job.failure = std::current_exception();
    }
    {
        std::lock_guard lock(m_mutex);
        job.done = true;
    }
    m_done.notify_one();  // only the scan waits for it
}

}  // namespace zwf
