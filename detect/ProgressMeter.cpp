#include "detect/ProgressMeter.h"

#include <algorithm>

namespace zwf::detect {

namespace {
constexpr std::uint64_t kSteps = 1000;
}

ProgressMeter::ProgressMeter(const SearchProgressFn& report, std::uint64_t total)
    : m_report(report), m_total(total), m_nextReport(total / kSteps) {}

void ProgressMeter::Advance(std::uint64_t bytes) {
    const std::uint64_t done = m_done += bytes;
    if (!m_report || std::this_thread::get_id() != m_reporter || done < m_nextReport)
        return;
    // Never past the total, and never backwards: the bar must neither overshoot nor jump back.
    const std::uint64_t shown = std::max(m_lastReported, std::min(done, m_total));
    if (shown >= m_total)
        return;  // the final report is Finish's
    m_report(shown, m_total);
    m_lastReported = shown;
    m_nextReport = shown + std::max<std::uint64_t>(1, m_total / kSteps);
}

void ProgressMeter::Finish() {
    if (m_report)
        m_report(m_total, m_total);
}

}  // namespace zwf::detect
