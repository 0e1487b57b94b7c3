#pragma once

#include <chrono>
#include <cstdint>

#include "platform/Window.h"

namespace zwf {

// Long work keeps the window alive every few milliseconds, timed by the clock rather than by
// the amount of work done, so neither many small files nor a few huge ones keep it waiting.
class WorkPacer {
public:
    using Clock = std::chrono::steady_clock;
    explicit WorkPacer(Clock::duration interval) : m_interval(interval) {}

    // True when the window is due to be kept alive again; the next one is due an interval later.
    bool Due();

private:
    Clock::duration m_interval;
    Clock::time_point m_next{};
};

// Brackets one piece of long work: input that arrives meanwhile is discarded by the window.
class WorkScope {
public:
    explicit WorkScope(Window& window) : m_window(window) { m_window.BeginWork(); }
    ~WorkScope() { m_window.EndWork(); }
    WorkScope(const WorkScope&) = delete;
    WorkScope& operator=(const WorkScope&) = delete;

private:
    Window& m_window;
};

// The progress bar in the search button's place, from the first Show() or Report() until this
// ends; the bar moves only when the whole percentage changes.
class ProgressBar {
public:
    explicit ProgressBar(Window& window) : m_window(window) {}
    ~ProgressBar() {
        if (m_shown)
            m_window.ShowProgressBar(false);
    }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Show();
    void Report(std::uint64_t done, std::uint64_t total);

private:
    Window& m_window;
    bool m_shown = false;
    int m_percent = 0;
};

}  // namespace zwf
