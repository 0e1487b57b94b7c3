#include "detect/Parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace zwf::detect {

namespace {
constexpr unsigned kMostThreads = 4;
}

void ForEachIndex(std::size_t count, unsigned workers, const IndexWork& work) {
    std::atomic<std::size_t> next{0};
    auto drain = [&](unsigned worker) {
        for (std::size_t i = next++; i < count; i = next++)
            work(i, worker);
    };
    const std::size_t helpers = std::min<std::size_t>(workers > 0 ? workers - 1 : 0, count > 0 ? count - 1 : 0);
    std::vector<std::jthread> threads;
    threads.reserve(helpers);
    for (std::size_t t = 1; t <= helpers; ++t)
        threads.emplace_back(drain, static_cast<unsigned>(t));
    drain(0);
}

unsigned ReadingThreads(bool fileSystemAllowsThem) {
    if (!fileSystemAllowsThem)
        return 1;
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
}

}  // namespace zwf::detect
