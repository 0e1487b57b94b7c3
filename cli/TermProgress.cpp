#include "cli/TermProgress.h"

namespace zwf::cli {

namespace {
constexpr char kScanning[] = "Durchsuche Ordner: ";
constexpr char kComparing[] = "Vergleiche Inhalte: ";
}  // namespace

void TermProgress::FilesFound(std::uint64_t files) {
    Show(kScanning, std::to_string(files) + (files == 1 ? " Datei" : " Dateien"));
}

void TermProgress::Compared(std::uint64_t done, std::uint64_t total) {
    const std::uint64_t percent = total == 0 ? 100 : done * 100 / total;
    Show(kComparing, std::to_string(percent > 100 ? 100 : percent) + " %");
}

void TermProgress::Show(const char* phase, const std::string& count) {
    if (!m_enabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (phase == m_phase && now - m_lastShown < std::chrono::milliseconds(100))
        return;
    m_phase = phase;
    m_lastShown = now;
    std::string line = phase + count;
    const std::size_t length = line.size();
    if (length < m_shownLength)
        line.append(m_shownLength - length, ' ');
    std::fprintf(stderr, "\r%s", line.c_str());
    std::fflush(stderr);
    m_shownLength = length;
}

void TermProgress::Clear() {
    if (!m_enabled || m_shownLength == 0)
        return;
    std::fprintf(stderr, "\r%s\r", std::string(m_shownLength, ' ').c_str());
    std::fflush(stderr);
    m_shownLength = 0;
}

}  // namespace zwf::cli
