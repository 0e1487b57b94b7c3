#include "platform/qt/PaintThrottle.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>

namespace zwf::qt {

namespace {
constexpr qint64 kPaintIntervalMs = 16;
}

bool PaintThrottle::Due() const { return !m_sincePaint.isValid() || m_sincePaint.elapsed() >= kPaintIntervalMs; }

// Qt asks a window to paint what has changed with an UpdateRequest, and asks again only once that
// one was handled: a request held back must therefore be delivered later, or the window would
// never paint again.
bool PaintThrottle::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::UpdateRequest || !watched->isWidgetType())
        return false;
    if (m_delivering || Due()) {
        m_sincePaint.start();
        return false;
    }
    if (std::find(m_held.begin(), m_held.end(), watched) == m_held.end())
        m_held.emplace_back(watched);
    return true;
}

void PaintThrottle::Flush() {
    if (!m_held.empty() && Due())
        Deliver();
}

void PaintThrottle::Release() { Deliver(); }

void PaintThrottle::Deliver() {
    m_delivering = true;
    for (const QPointer<QObject>& window : std::exchange(m_held, {})) {
        if (!window)
            continue;
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(window, &request);
    }
    m_delivering = false;
    m_sincePaint.start();
}

}  // namespace zwf::qt
