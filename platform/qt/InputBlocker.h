#pragma once

#include <QEvent>
#include <QObject>

namespace zwf::qt {

// While installed on the application, eats every event that carries the user's input (mouse,
// keyboard, wheel, touch, drag and drop). The input is thrown away: unlike
// QEventLoop::ExcludeUserInputEvents, which only holds it back, nothing is acted on later.
class InputBlocker final : public QObject {
public:
    static bool IsUserInput(QEvent::Type type);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace zwf::qt
