#include "detect/Parallel.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace zwf::detect {

namespace {
constexpr auto kWaitSlice = std::chrono::milliseconds(2);
}

Workers::Workers(unsigned count) : m_count(std::max(count, 1u)) {
    m_threads.reserve(m_count);
    for (unsigned t = 0; t < m_count; ++t)
        m_threads.emplace_back([this, t] { Serve(t); });
}

Workers::~Workers() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_threads.clear();  // joins
}

void Workers::Serve(unsigned worker) {
    unsigned long seenRound = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stopping || m_round != seenRound; });
        if (m_stopping)
            return;
        seenRound = m_round;
        if (worker < m_firstThread || worker >= m_threadsAtWork)
            continue;
        const IndexWork& work = *m_work;
        lock.unlock();
        RunJobs(work, worker);
        lock.lock();
        if (--m_running == 0)
            m_done.notify_all();
    }
}

void Workers::ForEach(std::size_t count, const IndexWork& work, const std::function<void()>& whileWaiting) {
    if (count == 0)
        return;
    const auto threadsAtWork = static_cast<unsigned>(std::min<std::size_t>(m_count, count));
    const unsigned first = whileWaiting ? 0 : 1;  // worker 0 is the calling thread when it works
    std::unique_lock lock(m_mutex);
    m_work = &work;
    m_jobCount = count;
    m_next.store(0);
    m_firstThread = first;
    m_threadsAtWork = threadsAtWork;
    m_running = threadsAtWork > first ? threadsAtWork - first : 0;
    ++m_round;
    m_wake.notify_all();
    if (!whileWaiting) {
        lock.unlock();
        RunJobs(work, 0);
        lock.lock();
    }
    if (!whileWaiting)
        m_done.wait(lock, [this] { return m_running == 0; });
    while (!m_done.wait_for(lock, kWaitSlice, [this] { return m_running == 0; })) {
        lock.unlock();
        try {
            whileWaiting();
        } catch (...) {
            Fail();
        }
        lock.lock();
    }
    m_work = nullptr;
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

// The jobs are handed out without the lock: taking it for each of tens of thousands of small
// files kept the threads waiting for one another.
void Workers::RunJobs(const IndexWork& work, unsigned worker) {
    try {
        for (std::size_t i = m_next.fetch_add(1); i < m_jobCount; i = m_next.fetch_add(1))
            work(i, worker);
    } catch (...) {
        Fail();
    }
}

// A job that throws (out of memory) ends the round: no job is handed out any more, and ForEach
// throws the first failure on the calling thread once every thread has left the work.
void Workers::Fail() {
    std::lock_guard lock(m_mutex);
    if (!m_failure)
        m_failure = std::current_exception();
    m_next.store(m_jobCount);
}

}  // namespace zwf::detect
