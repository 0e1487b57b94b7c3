#include "app/WorkPacer.h"

#include <limits>

namespace zwf {

bool WorkPacer::Due() {
    const Clock::time_point now = Clock::now();
    if (now < m_next)
        return false;
    m_next = now + m_interval;
    return true;
}

namespace {

int Percent(std::uint64_t done, std::uint64_t total) {
    if (total == 0 || done >= total)
        return total == 0 ? 0 : 100;
    // done < total, so done * 100 only overflows beyond 184 petabytes; divide first there.
    if (done > std::numeric_limits<std::uint64_t>::max() / 100)
        return static_cast<int>(done / (total / 100));
    return static_cast<int>(done * 100 / total);
}

}  // namespace

void ProgressBar::Show() {
    if (m_shown)
        return;
    m_window.ShowProgressBar(true);
    m_window.SetProgress(0);
    m_shown = true;
    m_percent = 0;
}

void ProgressBar::Report(std::uint64_t done, std::uint64_t total) {
    Show();
    if (const int percent = Percent(done, total); percent != m_percent) {
        m_percent = percent;
        m_window.SetProgress(percent);
    }
}

}  // namespace zwf
