#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/ForwardingFileSystem.h"

namespace zwf::test {

namespace detail {
struct OwnedFileSystem {
    std::unique_ptr<FileSystem> owned;
};
}  // namespace detail

// Wraps a real file system and makes chosen calls misbehave as hostile disks and programs do,
// without touching permissions (the tests also run as root): folders that cannot be read, or
// fail part-way; reads that fail after some bytes or come a few bytes at a time, as from pipes
// and network shares; deletes that fail, or report failure although the file went. Hooks let a
// test change the disk at the moments a hostile program would. Paths are full paths.
class FaultyFileSystem final : private detail::OwnedFileSystem, public ForwardingFileSystem {
public:
    using Hook = std::function<void(const std::string&)>;

    explicit FaultyFileSystem(FileSystem& inner) : ForwardingFileSystem(inner) {}
    // Wraps a native file system of its own.
    FaultyFileSystem() : detail::OwnedFileSystem{MakeNativeFileSystem()}, ForwardingFileSystem(*owned) {}

    // Listing folder fails at once with error.
    void RefuseListing(const std::string& folder, std::errc error = std::errc::permission_denied) {
        m_refusedListings[folder] = std::make_error_code(error);
    }
    // Listing folder gives its first entry, then fails as a failing medium would.
    void FailListingPartWay(const std::string& folder) { m_partListings[folder] = 1; }

    // Reads of path fail once `bytes` have come; the first healthyOpens opens still behave.
    void FailReadsAfter(const std::string& path, std::size_t bytes, std::size_t healthyOpens = 0) {
        m_reads[path] = {ReadFault::FailAfter, bytes, healthyOpens};
    }
    // Each read of path gives at most `bytes`.
    void DribbleReads(const std::string& path, std::size_t bytes) { m_reads[path] = {ReadFault::Dribble, bytes, 0}; }

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
    int Listings() const { return m_listings; }
    int Opens() const { return m_opens; }

    FolderListing List(FolderHandle& folder) override {
        ++m_listings;
        const std::string path = folder.Path();
        if (auto refused = m_refusedListings.find(path); refused != m_refusedListings.end())
            return {{}, refused->second};
        FolderListing listing = Inner().List(folder);
        if (auto part = m_partListings.find(path); part != m_partListings.end()) {
            listing.entries.resize(std::min(listing.entries.size(), part->second));
            listing.error = std::make_error_code(std::errc::io_error);
        }
        return listing;
    }

    std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name,
                                                const FileIdentity& expected, std::error_code& error) override {
        if (m_beforeOpenSubfolder)
            m_beforeOpenSubfolder(Join(parent, name));
        return Inner().OpenSubfolder(parent, name, expected, error);
    }

    // The read faults change as files are opened, and the hook may change the disk: then one
    // thread at a time.
    bool ReadsInParallel() const override {
        return m_reads.empty() && !m_afterOpenRead && Inner().ReadsInParallel();
    }
    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override {
        ++m_opens;
        auto file = Inner().OpenRead(path, error);
        if (file && m_afterOpenRead)
            m_afterOpenRead(path);
        auto rule = m_reads.find(path);
        if (!file || rule == m_reads.end())
            return file;
        if (rule->second.healthyOpens > 0) {
            --rule->second.healthyOpens;
            return file;
        }
        return std::make_unique<FaultyFile>(std::move(file), rule->second);
    }

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

private:
    enum class ReadFault { FailAfter, Dribble };
    struct ReadRule {
        ReadFault fault = ReadFault::FailAfter;
        std::size_t bytes = 0;
        std::size_t healthyOpens = 0;
    };

    class FaultyFile final : public ReadableFile {
    public:
        FaultyFile(std::unique_ptr<ReadableFile> file, ReadRule rule) : m_file(std::move(file)), m_rule(rule) {}
        std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
            if (m_rule.fault == ReadFault::Dribble)
                return m_file->Read(buffer.first(std::min(buffer.size(), m_rule.bytes)), error);
            if (m_done >= m_rule.bytes) {
                error = std::make_error_code(std::errc::io_error);
                return 0;
            }
            const std::size_t got = m_file->Read(buffer.first(std::min(buffer.size(), m_rule.bytes - m_done)), error);
            m_done += got;
            return got;
        }
        FileStatus Status() override { return m_file->Status(); }

    private:
        std::unique_ptr<ReadableFile> m_file;
        ReadRule m_rule;
        std::size_t m_done = 0;
    };

    std::string Join(const FolderHandle& folder, const std::string& name) const {
        return folder.Path() + Separator() + name;
    }

    std::map<std::string, std::error_code> m_refusedListings;
    std::map<std::string, std::size_t> m_partListings;
    std::map<std::string, ReadRule> m_reads;
    std::map<std::string, std::error_code> m_failingDeletes;
    std::map<std::string, std::error_code> m_lyingDeletes;
    Hook m_beforeDelete, m_beforeOpenSubfolder, m_afterOpenRead;
    std::vector<std::string> m_deleteCalls;
    std::atomic<int> m_listings = 0;
    std::atomic<int> m_opens = 0;
};

}  // namespace zwf::test
