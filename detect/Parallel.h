#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zwf::detect {

using IndexWork = std::function<void(std::size_t index, unsigned worker)>;

// The threads a search reads with, started once and kept for the whole search: a search over
// many small buckets hands out work a thousand times and more, and starting threads each time
// cost more than the reading on a tree such as /usr.
class Workers {
public:
    explicit Workers(unsigned count);
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    unsigned Count() const { return m_count; }

    // Calls work(i, worker) for every i below count, each thread taking the next index when done
    // with its last; worker (below Count()) tells which thread runs the call, for scratch space of
    // its own. Returns when all are done.
    // Without whileWaiting, the calling thread is one of them (worker 0). With it, the calling
    // thread takes no work: it waits for the others and calls whileWaiting every few milliseconds,
    // so that a window it keeps alive answers at once however long a single read takes, and gets
    // the processor back quickly when others want it too, as a thread that mostly sleeps does.
    // Whatever a job or whileWaiting throws ends the round and is thrown here.
    void ForEach(std::size_t count, const IndexWork& work, const std::function<void()>& whileWaiting = {});

private:
    void Serve(unsigned worker);
    void RunJobs(const IndexWork& work, unsigned worker);
    void Fail();

    const unsigned m_count;
    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    // The job at hand, written under the mutex before the round changes.
    const IndexWork* m_work = nullptr;
    std::size_t m_jobCount = 0;
    std::atomic<std::size_t> m_next{0};
    unsigned m_firstThread = 0, m_threadsAtWork = 0, m_running = 0;
    unsigned long m_round = 0;
    bool m_stopping = false;
    std::exception_ptr m_failure;  // of the round at hand
    std::vector<std::jthread> m_threads;
};

// How many threads a search may read with. Reading from the page cache costs processor time, so a
// second core nearly halves a search over many small files; reading from a disk is mostly waiting,
// and a disk given many requests at once answers them sooner than one by one (a search over
// 20,000 small files from a cold cache takes half the time with 8 threads as with 2, even on two
// cores). From the page cache the threads beyond the cores cost little.
inline constexpr unsigned kReadingThreads = 8;
inline unsigned ReadingThreads(bool fileSystemAllowsThem) { return fileSystemAllowsThem ? kReadingThreads : 1; }

}  // namespace zwf::detect
