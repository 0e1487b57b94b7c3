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
    std::unique_ptr<FolderHandle> OpenFolder(const std::string& folder, std::error_code& error) override {
        return m_inner.OpenFolder(folder, error);
    }
    std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name,
                                                const FileIdentity& expected, std::error_code& error) override {
        return m_inner.OpenSubfolder(parent, name, expected, error);
    }
    // ListInSteps is not passed on: the base lists through List, so a decorator that changes
    // List changes every listing.
    FolderListing List(FolderHandle& folder) override { return m_inner.List(folder); }
    FileStatus StatIn(FolderHandle& folder, const std::string& name) override { return m_inner.StatIn(folder, name); }
    std::unique_ptr<AsideFile> MoveAside(FolderHandle& folder, const std::string& name,
                                         std::error_code& error) override {
        return m_inner.MoveAside(folder, name, error);
    }
    std::unique_ptr<AsideFile> AdoptAside(FolderHandle& folder, const std::string& privateName, const std::string& name,
                                          std::error_code& error) override {
        return m_inner.AdoptAside(folder, privateName, name, error);
    }
    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override {
        return m_inner.OpenRead(path, error);
    }
    std::error_code LinkIn(FolderHandle& folder, const std::string& name, const std::string& targetPath) override {
        return m_inner.LinkIn(folder, name, targetPath);
    }
    std::error_code ShareBlocks(const std::string& keptPath, const FileIdentity& kept, const std::string& copyPath,
                                const FileIdentity& copy, std::uint64_t size) override {
        return m_inner.ShareBlocks(keptPath, kept, copyPath, copy, size);
    }
    std::error_code CanShareBlocks(const std::string& keptPath, const FileIdentity& kept, const std::string& copyPath,
                                   const FileIdentity& copy) override {
        return m_inner.CanShareBlocks(keptPath, kept, copyPath, copy);
    }

    void SetStepLog(StepLog* log) override { m_inner.SetStepLog(log); }

protected:
    FileSystem& Inner() const { return m_inner; }

private:
    FileSystem& m_inner;
};

}  // namespace zwf
