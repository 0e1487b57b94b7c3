#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/ForwardingFileSystem.h"

namespace zwf::test {

// Wraps a real file system and makes chosen deletes fail, as a file held open or a read-only
// medium would, without touching permissions (the tests also run as root). Hooks let a test
// change the disk at the moments a hostile program would.
class FaultyFileSystem final : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    using Hook = std::function<void(const std::string&)>;

    // Deleting path fails with error and leaves the file where it is.
    void FailDelete(const std::string& path, std::errc error = std::errc::permission_denied) {
        m_failingDeletes[path] = std::make_error_code(error);
    }
    // Deleting path reports error although the file did go (a network share that lost the answer).
    void ReportErrorAfterDelete(const std::string& path, std::errc error) {
        m_lyingDeletes[path] = std::make_error_code(error);
    }
    // Runs just before each delete is attempted, with the path about to go.
    void BeforeDelete(Hook hook) { m_beforeDelete = std::move(hook); }
    // Runs just before a subfolder is opened, with its full path.
    void BeforeOpenSubfolder(Hook hook) { m_beforeOpenSubfolder = std::move(hook); }
    // Runs just after a file was opened for reading, with its full path.
    void AfterOpenRead(Hook hook) { m_afterOpenRead = std::move(hook); }

    const std::vector<std::string>& DeleteCalls() const { return m_deleteCalls; }

    std::error_code DeleteIn(FolderHandle& folder, const std::string& name, const FileStatus& expected) override {
        const std::string path = Join(folder, name);
        m_deleteCalls.push_back(path);
        if (m_beforeDelete)
            m_beforeDelete(path);
        if (auto failing = m_failingDeletes.find(path); failing != m_failingDeletes.end())
            return failing->second;
        const std::error_code result = Inner().DeleteIn(folder, name, expected);
        if (auto lying = m_lyingDeletes.find(path); lying != m_lyingDeletes.end() && !result)
            return lying->second;
        return result;
    }

    std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name,
                                                const FileIdentity& expected, std::error_code& error) override {
        if (m_beforeOpenSubfolder)
            m_beforeOpenSubfolder(Join(parent, name));
        return Inner().OpenSubfolder(parent, name, expected, error);
    }

    bool ReadsInParallel() const override { return !m_afterOpenRead && Inner().ReadsInParallel(); }
    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override {
        auto file = Inner().OpenRead(path, error);
        if (file && m_afterOpenRead)
            m_afterOpenRead(path);
        return file;
    }

private:
    std::string Join(const FolderHandle& folder, const std::string& name) const {
        return folder.Path() + Separator() + name;
    }

    std::map<std::string, std::error_code> m_failingDeletes;
    std::map<std::string, std::error_code> m_lyingDeletes;
    Hook m_beforeDelete, m_beforeOpenSubfolder, m_afterOpenRead;
    std::vector<std::string> m_deleteCalls;
};

}  // namespace zwf::test
