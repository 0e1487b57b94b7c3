#include "detect/ProgressMeter.h"

#include <algorithm>

namespace zwf::detect {

ProgressMeter::ProgressMeter(const SearchProgressFn& report, std::uint64_t total, Clock::duration interval)
    : m_report(report), m_total(total), m_interval(interval),
      m_nextReport((Clock::now() + interval).time_since_epoch().count()) {}

void ProgressMeter::Advance(std::uint64_t bytes) {
    m_done += bytes;
    ReportIfDue();
}

void ProgressMeter::Reach(std::uint64_t done) {
    std::uint64_t now = m_done.load();
    while (now < done && !m_done.compare_exchange_weak(now, done)) {
    }
    ReportIfDue();
}

void ProgressMeter::ReportIfDue() {
    if (!m_report)
        return;
    const Clock::rep now = Clock::now().time_since_epoch().count();
    if (now < m_nextReport.load(std::memory_order_relaxed))
        return;
    const std::unique_lock lock(m_reporting, std::try_to_lock);
    if (!lock.owns_lock() || now < m_nextReport.load(std::memory_order_relaxed))
        return;  // another thread reports, or just did
    m_nextReport.store(now + m_interval.count(), std::memory_order_relaxed);
    // Never backwards, and short of the total until Finish: the bar must neither jump back nor
    // show the end while there is still work to do.
    const std::uint64_t end = m_total > 0 ? m_total - 1 : 0;
    m_lastReported = std::min(std::max(m_lastReported, m_done.load()), end);
    m_report(m_lastReported, m_total);
}

void ProgressMeter::Finish() {
    if (!m_report)
        return;
    const std::lock_guard lock(m_reporting);
    m_report(m_total, m_total);
}

}  // namespace zwf::detect
