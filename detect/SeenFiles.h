#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include "catalogue/FileEntry.h"
#include "detect/SearchTypes.h"
#include "platform/FileSystem.h"

namespace zwf::detect {

// What the search saw of each file: its times when it was first opened. A file whose opened
// identity or size is not the catalogue's, or whose times move while the search reads it,
// counts as different from every other file from then on. Safe to use from several threads.
class SeenFiles {
public:
    explicit SeenFiles(const std::vector<FileEntry>& files) : m_files(files), m_times(files.size()), m_state(files.size()) {}

    // Opens catalogued file `file` by path and checks it; nothing when it cannot be read as catalogued.
    std::unique_ptr<ReadableFile> Open(FileSystem& fileSystem, const std::string& path, std::size_t file);
    // Call once a file was read to its end: true when it is still as it was when first opened.
    bool StillAsSeen(std::size_t file, ReadableFile& handle);
    // Records that file could not be read; it is left out of every group.
    void Refuse(std::size_t file, std::error_code error);
    bool Refused(std::size_t file) const;

    const std::vector<FileTimes>& Times() const { return m_times; }
    // The files refused, each once, in catalogue order.
    std::vector<UnreadFile> Problems() const;

private:
    enum class State : unsigned char { Unseen, Seen, Refused };
    bool Admit(std::size_t file, const FileStatus& status);

    const std::vector<FileEntry>& m_files;
    std::vector<FileTimes> m_times;
    std::vector<State> m_state;
    std::vector<UnreadFile> m_problems;
    mutable std::mutex m_mutex;
};

}  // namespace zwf::detect
