#pragma once

#include <atomic>
#include <functional>

namespace zwf {

// Runs long work (a scan, a search) on a thread of its own while the thread that keeps the window
// alive shows what the work has done so far: a listing or a read that waits long for a disk or a
// network share then never holds the window, and the work never waits for the window.
class WorkBeside {
public:
    // Runs job on a thread of its own; meanwhile calls showNews() on this thread every kWaitSlice,
    // and once more when job has ended. Returns once job has ended, throwing what showNews() threw
    // or else what job threw.
    void Run(const std::function<void()>& job, const std::function<void()>& showNews);

    // For job wherever it hands on news: once showNews() has failed, throws, so that job ends soon.
    void EndIfNotShown() const;

private:
    std::atomic<bool> m_notShown{false};
};

}  // namespace zwf
