#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace zwf {

inline bool operator==(const WindowEvent& a, const WindowEvent& b) {
    return a.kind == b.kind && a.control == b.control && a.action == b.action;
}

inline void PrintTo(const WindowEvent& event, std::ostream* out) {
    *out << "{kind " << static_cast<int>(event.kind) << ", control " << event.control << ", action "
         << static_cast<int>(event.action) << "}";
}

namespace test {

inline WindowEvent ControlEvent(int id, WindowEvent::Action action) {
    return {WindowEvent::Kind::Control, id, action};
}

// One window under test, opened with the program's own controls, and what a test needs beyond
// the Window interface: reading what the window shows, and acting as the user through the
// platform's own input.
class WindowDriver {
public:
    virtual ~WindowDriver() = default;

    virtual Window& Get() = 0;

    virtual std::vector<std::string> Lines(int id) = 0;
    virtual std::string Text(int id) = 0;  // the control's own text, "" for a list box
    virtual bool IsEnabled(int id) = 0;
    virtual bool IsVisible(int id) = 0;    // answers for the progress bar's id too
    virtual int ProgressPosition() = 0;    // of the shown progress bar
    virtual bool IsOpen() = 0;

    virtual void ClickButton(int id) = 0;
    virtual void ClickLine(int id, int line) = 0;
    virtual void DoubleClickLine(int id, int line) = 0;
    // The user's ways of asking a window to close.
    enum class CloseWay { CloseBox, Keyboard, SystemMenu };  // Keyboard: Alt+F4
    virtual void RequestClose(CloseWay way) = 0;

    // Waits for events until the window would wait for the user again; returns them in order.
    virtual std::vector<WindowEvent> EventsUntilIdle() = 0;
};

// The window a test program puts under the contract; the name shows in the tests' names.
struct WindowUnderTest {
    const char* name;
    std::unique_ptr<WindowDriver> (*make)();
    friend void PrintTo(const WindowUnderTest& window, std::ostream* out) { *out << window.name; }
};

inline std::string WindowUnderTestName(const testing::TestParamInfo<WindowUnderTest>& info) {
    return info.param.name;
}

// The behaviour every Window gives the program. Each test program instantiates it with its
// window's driver:
//     INSTANTIATE_TEST_SUITE_P(Qt, WindowContract, testing::Values(WindowUnderTest{"Qt", &MakeQtDriver}),
//                              WindowUnderTestName);
class WindowContract : public testing::TestWithParam<WindowUnderTest> {
protected:
    void SetUp() override {
        driver = GetParam().make();
        ASSERT_TRUE(driver);
    }

    Window& window() { return driver->Get(); }
    void Fill(int id, const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            window().AppendLine(id, line);
    }
    std::vector<WindowEvent> ControlEventsUntilIdle();

    std::unique_ptr<WindowDriver> driver;
};

}  // namespace test
}  // namespace zwf
