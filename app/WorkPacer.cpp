#include "app/WorkPacer.h"

namespace zwf {

bool WorkPacer::Due() {
    const Clock::time_point now = Clock::now();
    if (now < m_next)
        return false;
    m_next = now + m_interval;
    return true;
}

}  // namespace zwf
