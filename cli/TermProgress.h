#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zwf::cli {

// A progress line on standard error, redrawn a few times a second and at once when the work turns
// from scanning to comparing; silent when stderr is no terminal. One call at a time, from any thread.
class TermProgress {
public:
    explicit TermProgress(bool enabled) : m_enabled(enabled) {}
    ~TermProgress() { Clear(); }
    TermProgress(const TermProgress&) = delete;
    TermProgress& operator=(const TermProgress&) = delete;

    void FilesFound(std::uint64_t files);
    void Compared(std::uint64_t done, std::uint64_t total);
    void Clear();

private:
    void Show(const char* phase, const std::string& count);

    bool m_enabled;
    std::size_t m_shownLength = 0;
    const char* m_phase = nullptr;  // of the line shown last
    std::chrono::steady_clock::time_point m_lastShown{};
};

}  // namespace zwf::cli
