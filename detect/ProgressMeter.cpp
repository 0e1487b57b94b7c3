#include "detect/ProgressMeter.h"

#include <algorithm>

namespace zwf::detect {

namespace {
constexpr std::uint64_t kSteps = 1000;
}

ProgressMeter::ProgressMeter(const SearchProgressFn& report, std::uint64_t total)
    : m_report(report), m_total(total), m_nextReport(total / kSteps) {}

void ProgressMeter::Advance(std::uint64_t bytes) {
    // Never past the total, whatever the caller's arithmetic: the bar must not overshoot.
    m_done = std::min(m_total, m_done + std::min(bytes, m_total));
    if (m_report && m_done >= m_nextReport && m_done < m_total) {
        m_report(m_done, m_total);
        m_nextReport = m_done + std::max<std::uint64_t>(1, m_total / kSteps);
    }
}

void ProgressMeter::Finish() {
    m_done = m_total;
    if (m_report)
        m_report(m_total, m_total);
}

}  // namespace zwf::detect
