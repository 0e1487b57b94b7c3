#pragma once

#include "platform/FileSystem.h"

namespace zwf {

// Passes every call on to another file system. Decorators (counting, fault injection) derive
// from it and override only the calls they change.
class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(FileSystem& inner) : m_inner(inner) {}

    char Separator() const override { return m_inner.Separator(); }
    bool ReadsInParallel() const override { return m_inner.ReadsInParallel(); }
    bool IsRoot(std::string_view folder) const override { return m_inner.IsRoot(folder); }
    FolderListing ListFolder(const std::string& folder) override { return m_inner.ListFolder(folder); }
    FileStatus Stat(const std::string& path) override { return m_inner.Stat(path); }
    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override {
        return m_inner.OpenRead(path, error);
    }
    std::error_code Delete(const std::string& path) override { return m_inner.Delete(path); }

protected:
    FileSystem& Inner() const { return m_inner; }

private:
    FileSystem& m_inner;
};

}  // namespace zwf
