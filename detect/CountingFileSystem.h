#pragma once

#include <atomic>
#include <memory>

#include "detect/FindDuplicates.h"
#include "platform/FileSystem.h"

namespace zwf::detect {

// Passes every call on to another file system and counts the files opened for reading and
// the bytes read from them, so the search's cost can be measured from outside.
class CountingFileSystem final : public FileSystem {
public:
    explicit CountingFileSystem(FileSystem& inner) : m_inner(inner) {}

    char Separator() const override { return m_inner.Separator(); }
    bool ReadsInParallel() const override { return m_inner.ReadsInParallel(); }
    bool IsRoot(std::string_view folder) const override { return m_inner.IsRoot(folder); }
    FolderListing ListFolder(const std::string& folder) override { return m_inner.ListFolder(folder); }
    FileStatus Stat(const std::string& path) override { return m_inner.Stat(path); }
    std::error_code Delete(const std::string& path) override { return m_inner.Delete(path); }
    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override;

    void AddTo(IoCounters& counters) const {
        counters.filesOpened += m_filesOpened;
        counters.bytesRead += m_bytesRead;
    }

private:
    FileSystem& m_inner;
    std::atomic<std::uint64_t> m_filesOpened{0};
    std::atomic<std::uint64_t> m_bytesRead{0};
};

}  // namespace zwf::detect
