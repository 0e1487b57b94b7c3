#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QPointer>

#include <vector>

namespace zwf::qt {

// While installed on the application, lets the windows paint at most once per interval, about as
// often as a screen refreshes: work that keeps the window alive every few milliseconds would
// otherwise spend its time painting. A paint asked for sooner is held back, never dropped: Flush
// delivers it once its time has come, Release at once.
class PaintThrottle final : public QObject {
public:
    // The next paint goes through at once, so what changed before the work shows.
    void Restart() { m_sincePaint.invalidate(); }
    void Flush();
    void Release();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Due() const;
    void Deliver();

    QElapsedTimer m_sincePaint;
    std::vector<QPointer<QObject>> m_held;  // windows whose paint waits
    bool m_delivering = false;
};

}  // namespace zwf::qt
