#pragma once

#include <memory>

#include "detect/FindDuplicates.h"
#include "platform/FileSystem.h"

namespace zwf::detect {

// Passes every call on to another file system and counts the files opened for reading and
// the bytes read from them, so the search's cost can be measured from outside.
class CountingFileSystem final : public FileSystem {
public:
    CountingFileSystem(FileSystem& inner, IoCounters& counters) : m_inner(inner), m_counters(counters) {}

    char Separator() const override { return m_inner.Separator(); }
    bool IsRoot(std::string_view folder) const override { return m_inner.IsRoot(folder); }
    FolderListing ListFolder(const std::string& folder) override { return m_inner.ListFolder(folder); }
    FileStatus Stat(const std::string& path) override { return m_inner.Stat(path); }
    std::error_code Delete(const std::string& path) override { return m_inner.Delete(path); }
    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override;

private:
    FileSystem& m_inner;
    IoCounters& m_counters;
};

}  // namespace zwf::detect
