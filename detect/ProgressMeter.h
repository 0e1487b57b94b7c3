#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "detect/SearchTypes.h"

namespace zwf::detect {

// Adds up the bytes a search has settled and passes them on every few milliseconds, by the
// clock rather than by the share done: a window that is kept alive from the reports then
// answers just as quickly on a search of a few megabytes as on one of some hundred gigabytes.
// Any thread may add; only the thread that made the meter reports, as a window expects.
class ProgressMeter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kReportInterval = std::chrono::milliseconds(4);

    ProgressMeter(const SearchProgressFn& report, std::uint64_t total, Clock::duration interval = kReportInterval);

    // Bytes of candidate files read for the last time or found not to need reading.
    void Advance(std::uint64_t bytes);
    // At least this many bytes are done: for the bytes a search found it need not read.
    void Reach(std::uint64_t done);
    // A chance to report without new bytes of its own, for the searching thread while it waits
    // for the threads at work; the bytes they settled show up in it.
    void Tick();
    // Reports done == total; called once when the search ends.
    void Finish();
    // Whether anyone is told of the progress.
    bool Reports() const { return static_cast<bool>(m_report); }

private:
    void ReportIfDue();

    const SearchProgressFn& m_report;
    const std::uint64_t m_total;
    const Clock::duration m_interval;
    const std::thread::id m_reporter = std::this_thread::get_id();
    std::atomic<std::uint64_t> m_done{0};
    Clock::time_point m_nextReport;
    std::uint64_t m_lastReported = 0;
};

}  // namespace zwf::detect
