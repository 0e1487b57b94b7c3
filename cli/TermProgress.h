#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zwf::cli {

// A progress line on standard error, redrawn a few times a second; silent when stderr is no terminal.
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
    void Show(const std::string& line);

    bool m_enabled;
    std::size_t m_shownLength = 0;
    std::chrono::steady_clock::time_point m_lastShown{};
};

}  // namespace zwf::cli
