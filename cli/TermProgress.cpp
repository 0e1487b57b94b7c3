#include "cli/TermProgress.h"

namespace zwf::cli {

void TermProgress::FilesFound(std::uint64_t files) {
    Show("Durchsuche Ordner: " + std::to_string(files) + (files == 1 ? " Datei" : " Dateien"));
}

void TermProgress::Compared(std::uint64_t done, std::uint64_t total) {
    const std::uint64_t percent = total == 0 ? 100 : done * 100 / total;
    Show("Vergleiche Inhalte: " + std::to_string(percent > 100 ? 100 : percent) + " %");
}

void TermProgress::Show(const std::string& line) {
    if (!m_enabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastShown < std::chrono::milliseconds(100))
        return;
    m_lastShown = now;
    std::string padded = line;
    if (padded.size() < m_shownLength)
        padded.append(m_shownLength - padded.size(), ' ');
    std::fprintf(stderr, "\r%s", padded.c_str());
    std::fflush(stderr);
    m_shownLength = line.size();
}

void TermProgress::Clear() {
    if (!m_enabled || m_shownLength == 0)
        return;
    std::fprintf(stderr, "\r%s\r", std::string(m_shownLength, ' ').c_str());
    std::fflush(stderr);
    m_shownLength = 0;
}

}  // namespace zwf::cli
