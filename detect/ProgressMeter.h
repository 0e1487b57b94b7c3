#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "detect/SearchTypes.h"

namespace zwf::detect {

// Adds up the bytes a search has settled and passes them on every few milliseconds, by the
// clock rather than by the share done: a window that shows the reports then moves just as
// smoothly on a search of a few megabytes as on one of some hundred gigabytes. Any thread may
// add, and the thread that adds when a report is due makes it; a thread that finds another one
// reporting goes on with its work, so reports come one at a time and no thread waits for them.
class ProgressMeter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kReportInterval = std::chrono::milliseconds(4);

    ProgressMeter(const SearchProgressFn& report, std::uint64_t total, Clock::duration interval = kReportInterval);

    // Bytes of candidate files read for the last time or found not to need reading.
    void Advance(std::uint64_t bytes);
    // At least this many bytes are done: for the bytes a search found it need not read.
    void Reach(std::uint64_t done);
    // Reports done == total; called once when the search ends, with no thread at work.
    void Finish();

private:
    void ReportIfDue();

    const SearchProgressFn& m_report;
    const std::uint64_t m_total;
    const Clock::duration m_interval;
    std::atomic<std::uint64_t> m_done{0};
    // When the next report is due, read without the lock so that most calls take no lock at all.
    std::atomic<Clock::rep> m_nextReport;
    std::mutex m_reporting;  // held while reporting
    std::uint64_t m_lastReported = 0;
};

}  // namespace zwf::detect
