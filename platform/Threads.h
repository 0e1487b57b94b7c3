#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zwf {

using IndexWork = std::function<void(std::size_t index, unsigned worker)>;

// How long a thread that keeps a window alive waits at most before it looks after the window
// again: short, so that the window answers at once, and the processor goes back to others when
// they want it, as it does from a thread that mostly sleeps.
inline constexpr auto kWaitSlice = std::chrono::milliseconds(2);

// Waits on done (under lock, woken by wake) and calls between() every kWaitSlice meanwhile, with
// the lock let go. Without between() it simply waits.
template <class Done>
void WaitKeepingAlive(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, Done done,
                      const std::function<void()>& between) {
    if (!between) {
        wake.wait(lock, done);
        return;
    }
    while (!wake.wait_for(lock, kWaitSlice, done)) {
        lock.unlock();
        between();
        lock.lock();
    }
}

// The program's threads: a few, started once and kept, which run rounds of jobs. A round is either
// waited for at once (ForEach) or started and waited for later (Start, Wait), while the thread
// that started it goes on with its own work. There is one way to stop: Stop() tells the jobs of the
// round at hand (Stopping()) to end early, and waiting for them ends the round; the destructor
// stops and waits.
class ThreadPool {
public:
    explicit ThreadPool(unsigned count);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    unsigned Count() const { return m_count; }

    // Calls work(i, worker) for every i below count, each thread taking the next indices when done
    // with its last (a few at once where there are many, so that one thread gets neighbours);
    // worker (below Count()) tells which thread runs the call, for scratch space of its own.
    // Returns when all are done.
    // Without whileWaiting, the calling thread is one of them (worker 0). With it, the calling
    // thread takes no work: it waits for the others and calls whileWaiting every kWaitSlice (see
    // WaitKeepingAlive), so that a window it keeps alive while long work runs on the pool answers
    // at once however long a single job takes. Whatever a job or whileWaiting throws ends the
    // round and is thrown here.
    void ForEach(std::size_t count, const IndexWork& work, const std::function<void()>& whileWaiting = {});

    // Starts a round of count jobs on the pool's threads only, and returns at once; work must
    // outlive it. Wait() ends it.
    void Start(std::size_t count, IndexWork work);
    // Waits for the round started last, calling whileWaiting as ForEach does, and throws what a
    // job threw. Called once for each Start.
    void Wait(const std::function<void()>& whileWaiting = {});

    // Tells the jobs of the round at hand to end as soon as they can; no further job is handed out.
    void Stop();
    // Whether the round at hand was told to stop, for jobs that take long to check now and then.
    bool Stopping() const { return m_stopping.load(std::memory_order_relaxed); }

private:
    void Serve(unsigned worker);
    void Begin(std::size_t count, const IndexWork* work, unsigned first);
    void RunJobs(const IndexWork& work, unsigned worker);
    void Fail();

    const unsigned m_count;
    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    // The round at hand, written under the mutex before the round changes.
    const IndexWork* m_work = nullptr;
    IndexWork m_started;                    // the work of a round Start began
    std::size_t m_jobCount = 0, m_run = 1;  // jobs, and how many a thread takes at once
    std::atomic<std::size_t> m_next{0};
    unsigned m_firstThread = 0, m_threadsAtWork = 0, m_running = 0;
    unsigned long m_round = 0;
    bool m_closing = false;
    std::atomic<bool> m_stopping{false};
    std::exception_ptr m_failure;  // of the round at hand
    std::vector<std::jthread> m_threads;
};

}  // namespace zwf
