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
constexpr unsigned kMostThreads = 4;
constexpr auto kWaitSlice = std::chrono::milliseconds(1);

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
    const std::size_t helpers = std::min<std::size_t>(workers > 0 ? workers - 1 : 0, count > 0 ? count - 1 : 0);
    Helpers running(helpers);
    std::vector<std::jthread> threads;
    threads.reserve(helpers);
    for (std::size_t t = 1; t <= helpers; ++t)
        threads.emplace_back([&, t] {
            drain(static_cast<unsigned>(t));
            running.OneDone();
        });
    drain(0);
    running.WaitForAll(whileWaiting);
}

unsigned ReadingThreads(bool fileSystemAllowsThem) {
    if (!fileSystemAllowsThem)
        return 1;
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
}

}  // namespace zwf::detect
