#include "detect/Parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace zwf::detect {

namespace {
constexpr auto kWaitSlice = std::chrono::milliseconds(2);

// Counts the helper threads still at work; the calling thread waits for it in short slices.
class Helpers {
public:
    explicit Helpers(std::size_t count) : m_running(count) {}

    void OneDone() {
        std::lock_guard lock(m_mutex);
        --m_running;
        m_changed.notify_one();
    }

    void WaitForAll(const std::function<void()>& whileWaiting) {
        std::unique_lock lock(m_mutex);
        while (m_running > 0) {
            if (!whileWaiting) {
                m_changed.wait(lock, [this] { return m_running == 0; });
                break;
            }
            if (m_changed.wait_for(lock, kWaitSlice, [this] { return m_running == 0; }))
                break;
            lock.unlock();
            whileWaiting();
            lock.lock();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_running;
};

}  // namespace

void ForEachIndex(std::size_t count, unsigned workers, const IndexWork& work,
                  const std::function<void()>& whileWaiting) {
    std::atomic<std::size_t> next{0};
    auto drain = [&](unsigned worker) {
        for (std::size_t i = next++; i < count; i = next++)
            work(i, worker);
    };
    const std::size_t threadsAtWork = std::min<std::size_t>(std::max(workers, 1u), count);
    const std::size_t first = whileWaiting ? 0 : 1;  // worker 0 is the calling thread when it works
    Helpers running(threadsAtWork > first ? threadsAtWork - first : 0);
    std::vector<std::jthread> threads;
    threads.reserve(threadsAtWork);
    for (std::size_t t = first; t < threadsAtWork; ++t)
        threads.emplace_back([&, t] {
            drain(static_cast<unsigned>(t));
            running.OneDone();
        });
    if (!whileWaiting)
        drain(0);
    running.WaitForAll(whileWaiting);
}

unsigned ReadingThreads(bool fileSystemAllowsThem) { return fileSystemAllowsThem ? kReadingThreads : 1; }

}  // namespace zwf::detect
