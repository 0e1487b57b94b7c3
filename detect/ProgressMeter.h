#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "detect/FindDuplicates.h"

namespace zwf::detect {

// Adds up the bytes a search has settled and passes them on now and then: often enough for
// a progress bar to move smoothly, seldom enough to cost nothing against the reading. Any
// thread may add; only the thread that made the meter reports, as a window expects.
class ProgressMeter {
public:
    ProgressMeter(const SearchProgressFn& report, std::uint64_t total);

    // Bytes of candidate files read for the last time or found not to need reading.
    void Advance(std::uint64_t bytes);
    // Reports done == total; called once when the search ends.
    void Finish();

private:
    const SearchProgressFn& m_report;
    const std::uint64_t m_total;
    const std::thread::id m_reporter = std::this_thread::get_id();
    std::atomic<std::uint64_t> m_done{0};
    std::uint64_t m_nextReport = 0;
    std::uint64_t m_lastReported = 0;
};

}  // namespace zwf::detect
