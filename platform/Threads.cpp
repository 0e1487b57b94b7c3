#include "platform/Threads.h"

#include <algorithm>
#include <utility>

namespace zwf {

namespace {
constexpr std::size_t kLongestRun = 16;
}

ThreadPool::ThreadPool(unsigned count) : m_count(std::max(count, 1u)) {
    m_threads.reserve(m_count);
    for (unsigned t = 0; t < m_count; ++t)
        m_threads.emplace_back([this, t] { Serve(t); });
}

ThreadPool::~ThreadPool() {
    Stop();
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_running == 0; });
        m_closing = true;
    }
    m_wake.notify_all();
    m_threads.clear();  // joins
}

void ThreadPool::Serve(unsigned worker) {
    unsigned long seenRound = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_closing || m_round != seenRound; });
        if (m_closing)
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

// Under the lock: a new round of count jobs for the threads from first on.
void ThreadPool::Begin(std::size_t count, const IndexWork* work, unsigned first) {
    const auto threadsAtWork = static_cast<unsigned>(std::min<std::size_t>(m_count, count));
    m_work = work;
    m_jobCount = count;
    m_run = std::clamp<std::size_t>(count / (std::size_t{32} * m_count), 1, kLongestRun);
    m_next.store(0);
    m_stopping.store(false);
    m_firstThread = first;
    m_threadsAtWork = threadsAtWork;
    m_running = threadsAtWork > first ? threadsAtWork - first : 0;
    ++m_round;
    m_wake.notify_all();
}

void ThreadPool::ForEach(std::size_t count, const IndexWork& work, const std::function<void()>& whileWaiting) {
    if (count == 0)
        return;
    const unsigned first = whileWaiting ? 0 : 1;  // worker 0 is the calling thread when it works
    {
        std::lock_guard lock(m_mutex);
        Begin(count, &work, first);
    }
    if (!whileWaiting)
        RunJobs(work, 0);
    Wait(whileWaiting);
}

void ThreadPool::Start(std::size_t count, IndexWork work) {
    std::lock_guard lock(m_mutex);
    m_started = std::move(work);
    Begin(count, &m_started, 0);
}

void ThreadPool::Wait(const std::function<void()>& whileWaiting) {
    std::unique_lock lock(m_mutex);
    const std::function<void()> guarded = !whileWaiting ? std::function<void()>{} : [&] {
        try {
            whileWaiting();
        } catch (...) {
            Fail();
        }
    };
    WaitKeepingAlive(
        lock, m_done, [this] { return m_running == 0; }, guarded);
    m_work = nullptr;
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

void ThreadPool::Stop() {
    m_stopping.store(true);
    m_next.store(SIZE_MAX / 2);
}

// The jobs are handed out without the lock: taking it for each of tens of thousands of small
// files kept the threads waiting for one another. Where there are many, a thread takes a run of
// neighbours at once: the files of one folder then mostly go to one thread, which opens them
// through the folder it holds.
void ThreadPool::RunJobs(const IndexWork& work, unsigned worker) {
    try {
        for (std::size_t from = m_next.fetch_add(m_run); from < m_jobCount; from = m_next.fetch_add(m_run))
            for (std::size_t i = from; i < std::min(from + m_run, m_jobCount) && !Stopping(); ++i)
                work(i, worker);
    } catch (...) {
        Fail();
    }
}

// A job that throws (out of memory) ends the round: no job is handed out any more, and the round's
// waiter throws the first failure once every thread has left the work.
void ThreadPool::Fail() {
    std::lock_guard lock(m_mutex);
    if (!m_failure)
        m_failure = std::current_exception();
    Stop();
}

}  // namespace zwf
