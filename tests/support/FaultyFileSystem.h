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
// medium would, without touching permissions (the tests also run as root).
class FaultyFileSystem final : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    // Deleting path fails with error and leaves the file where it is.
    void FailDelete(const std::string& path, std::errc error = std::errc::permission_denied) {
        m_failingDeletes[path] = std::make_error_code(error);
    }
    // Deleting path reports error although the file did go (a network share that lost the answer).
    void ReportErrorAfterDelete(const std::string& path, std::errc error) {
        m_lyingDeletes[path] = std::make_error_code(error);
    }
    // Runs just before each delete is attempted, with the path about to go.
    void BeforeDelete(std::function<void(const std::string&)> hook) { m_beforeDelete = std::move(hook); }

    const std::vector<std::string>& DeleteCalls() const { return m_deleteCalls; }

    std::error_code Delete(const std::string& path) override {
        m_deleteCalls.push_back(path);
        if (m_beforeDelete)
            m_beforeDelete(path);
        if (auto failing = m_failingDeletes.find(path); failing != m_failingDeletes.end())
            return failing->second;
        const std::error_code result = Inner().Delete(path);
        if (auto lying = m_lyingDeletes.find(path); lying != m_lyingDeletes.end() && !result)
            return lying->second;
        return result;
    }

private:
    std::map<std::string, std::error_code> m_failingDeletes;
    std::map<std::string, std::error_code> m_lyingDeletes;
    std::function<void(const std::string&)> m_beforeDelete;
    std::vector<std::string> m_deleteCalls;
};

}  // namespace zwf::test
