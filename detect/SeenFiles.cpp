#include "detect/SeenFiles.h"

#include <algorithm>

namespace zwf::detect {

std::unique_ptr<ReadableFile> SeenFiles::Open(FileSystem& fileSystem, const std::string& path, std::size_t file) {
    {
        std::lock_guard lock(m_mutex);
        if (m_state[file] == State::Refused)
            return nullptr;
    }
    std::error_code error;
    auto handle = fileSystem.OpenRead(path, error);
    if (!handle || error) {
        Refuse(file, error ? error : std::make_error_code(std::errc::io_error));
        return nullptr;
    }
    const FileStatus status = handle->Status();
    if (status.error) {
        Refuse(file, status.error);
        return nullptr;
    }
    if (!Admit(file, status))
        return nullptr;
    return handle;
}

bool SeenFiles::Admit(std::size_t file, const FileStatus& status) {
    const bool asCatalogued = IsCatalogued(status, m_files[file]);
    {
        std::lock_guard lock(m_mutex);
        if (asCatalogued && m_state[file] == State::Unseen) {
            m_state[file] = State::Seen;
            m_times[file] = status.times;
            return true;
        }
        if (asCatalogued && m_state[file] == State::Seen && m_times[file] == status.times)
            return true;
    }
    Refuse(file, make_error_code(FsError::Changed));
    return false;
}

bool SeenFiles::StillAsSeen(std::size_t file, ReadableFile& handle) {
    const FileStatus status = handle.Status();
    if (status.error) {
        Refuse(file, status.error);
        return false;
    }
    return Admit(file, status);
}

void SeenFiles::Refuse(std::size_t file, std::error_code error) {
    std::lock_guard lock(m_mutex);
    if (m_state[file] == State::Refused)
        return;
    m_state[file] = State::Refused;
    m_problems.push_back({file, error});
}

bool SeenFiles::Refused(std::size_t file) const {
    std::lock_guard lock(m_mutex);
    return m_state[file] == State::Refused;
}

std::vector<UnreadFile> SeenFiles::Problems() const {
    std::lock_guard lock(m_mutex);
    std::vector<UnreadFile> problems = m_problems;
    std::sort(problems.begin(), problems.end(), [](const UnreadFile& a, const UnreadFile& b) { return a.file < b.file; });
    return problems;
}

}  // namespace zwf::detect
