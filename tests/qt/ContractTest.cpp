// The Qt window under the contract that every window keeps.
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>

#include "tests/qt/QtFixture.h"

namespace zwf::test {
namespace {

// The user's input goes through QTest, as real mouse clicks on the widgets.
class QtDriver final : public WindowDriver {
public:
    QtDriver() : m_window(texts::kWindowTitle, kControls, QSize(kClientWidth, kClientHeight)) {
        QApplication::setActiveWindow(m_window.Widget());
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.Widget()));
    }

    Window& Get() override { return m_window; }

    std::vector<std::string> Lines(int id) override {
        std::vector<std::string> lines;
        if (const auto* list = qobject_cast<QListView*>(m_window.Control(id)))
            for (int row = 0; row < LineTotal(list); ++row)
                lines.push_back(LineText(list, row).toStdString());
        return lines;
    }
    std::string Text(int id) override {
        QWidget* control = m_window.Control(id);
        if (const auto* label = qobject_cast<QLabel*>(control))
            return label->text().toStdString();
        if (const auto* button = qobject_cast<QPushButton*>(control))
            return button->text().toStdString();
        return {};
    }
    bool IsEnabled(int id) override {
        QWidget* control = m_window.Control(id);
        return control != nullptr && control->isEnabled();
    }
    bool IsVisible(int id) override {
        QWidget* control = id == ctl::kProgress ? m_window.ProgressBar() : m_window.Control(id);
        return control != nullptr && control->isVisible();
    }
    int ProgressPosition() override { return m_window.ProgressBar() ? m_window.ProgressBar()->value() : -1; }
    bool IsOpen() override { return m_window.IsOpen(); }

    void ClickButton(int id) override {
        QTest::mouseClick(qobject_cast<QPushButton*>(m_window.Control(id)), Qt::LeftButton);
    }
    void ClickLine(int id, int line) override {
        auto* list = qobject_cast<QListView*>(m_window.Control(id));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, LineRect(list, line).center());
    }
    // Sent through the window, so that Qt itself turns two quick clicks into a double-click.
    void DoubleClickLine(int id, int line) override {
        auto* list = qobject_cast<QListView*>(m_window.Control(id));
        const QPoint at = list->viewport()->mapTo(m_window.Widget(), LineRect(list, line).center());
        QTest::mouseDClick(m_window.Widget()->windowHandle(), Qt::LeftButton, {}, at);
    }
    // The close box, Alt+F4 and the window menu belong to the window manager; each reaches the
    // window as the same close event from the window system.
    void RequestClose(CloseWay) override {
        QCoreApplication::postEvent(m_window.Widget()->windowHandle(), new QCloseEvent());
    }

    std::vector<WindowEvent> EventsUntilIdle() override {
        QCoreApplication::processEvents();
        std::vector<WindowEvent> events;
        while (m_window.IsOpen() && m_window.HasEventReady())
            events.push_back(m_window.WaitEvent());
        return events;
    }

private:
    qt::QtWindow m_window;
};

std::unique_ptr<WindowDriver> MakeQtDriver() { return std::make_unique<QtDriver>(); }
INSTANTIATE_TEST_SUITE_P(Qt, WindowContract,
                         testing::Values(WindowUnderTest{"Qt", &MakeQtDriver}), WindowUnderTestName);

}  // namespace
}  // namespace zwf::test
