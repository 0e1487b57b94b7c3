#pragma once

#include <QApplication>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "app/Layout.h"
#include "platform/qt/QtWindow.h"
#include "tests/support/WindowContract.h"

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace zwf::test {

// What a list box shows on a line, and where the line is in its viewport.
inline QString LineText(const QListView* list, int line) {
    return list->model()->index(line, 0).data().toString();
}
inline QRect LineRect(const QListView* list, int line) {
    return list->visualRect(list->model()->index(line, 0));
}
inline int LineTotal(const QListView* list) {
    return list->model()->rowCount();
}

// Once a modal dialog is open (its own loop running), hands it to act; used to answer dialogs
// the way a user would.
inline void WhenModalAppears(std::function<void(QWidget*)> act) {
    QTimer::singleShot(10, [act = std::move(act)]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget())
            act(modal);
        else
            WhenModalAppears(std::move(act));
    });
}

// A fresh main window with the program's own controls, shown and active.
class QtWindowTest : public testing::Test {
protected:
    QtWindowTest()
        : window(std::make_unique<qt::QtWindow>(texts::kWindowTitle, kControls, QSize(kClientWidth, kClientHeight))) {
        QApplication::setActiveWindow(window->Widget());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window->Widget()));
    }

    QListView* List(int id) const { return qobject_cast<QListView*>(window->Control(id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(window->Control(id)); }

    void Fill(int id, std::initializer_list<const char*> lines) const {
        for (const char* line : lines)
            window->AppendLine(id, line);
    }

    // The events queued so far, without blocking; the program's turns are left out.
    std::vector<WindowEvent> TakeEvents() const {
        std::vector<WindowEvent> events;
        while (window->IsOpen() && window->HasEventReady()) {
            const WindowEvent event = window->WaitEvent();
            if (event.kind != WindowEvent::Kind::Other)
                events.push_back(event);
        }
        return events;
    }

    void ClickLine(int id, int line, Qt::KeyboardModifiers modifiers = {}) const {
        const QPoint at = LineRect(List(id), line).center();
        QTest::mouseClick(List(id)->viewport(), Qt::LeftButton, modifiers, at);
    }

    std::unique_ptr<qt::QtWindow> window;
};

}  // namespace zwf::test
