#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
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
    // path cannot seek, as a FUSE file opened as a stream: it must be read its way.
    void RefuseSeek(const std::string& path) { m_reads[path] = {ReadFault::NoSeek, 0, 0}; }

    // The steps of a delete: the file moved aside to a private name, examined and read there,
    // then removed, or put back under its old name.
    enum class DeleteStep { MoveAside, Examine, Read, Remove, PutBack };
    // Those steps fail with error for path; the file stays where each step leaves it.
    void FailDeleteSteps(const std::string& path, std::initializer_list<DeleteStep> steps,
                         std::errc error = std::errc::io_error) {
        m_deleteFaults[path] = {std::set<DeleteStep>(steps), std::make_error_code(error)};
    }
    // Deleting path fails with error and leaves the file where it is.
    void FailDelete(const std::string& path, std::errc error = std::errc::permission_denied) {
        FailDeleteSteps(path, {DeleteStep::Remove}, error);
    }
    // Deleting path reports error although the file did go (a network share that lost the answer).
    void ReportErrorAfterDelete(const std::string& path, std::errc error) {
        m_lyingDeletes[path] = std::make_error_code(error);
    }

    // Runs just before each file is moved aside to be deleted, with its path.
    void BeforeDelete(Hook hook) { m_beforeDelete = std::move(hook); }
    // Runs just after a file was moved aside, with its old path: a program may take the name now.
    void AfterMoveAside(Hook hook) { m_afterMoveAside = std::move(hook); }
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

    std::unique_ptr<AsideFile> MoveAside(FolderHandle& folder, const std::string& name,
                                         std::error_code& error) override {
        const std::string path = Join(folder, name);
        m_deleteCalls.push_back(path);
        if (m_beforeDelete)
            m_beforeDelete(path);
        const auto fault = m_deleteFaults.find(path);
        const std::optional<DeleteFault> at =
            fault == m_deleteFaults.end() ? std::nullopt : std::optional<DeleteFault>(fault->second);
        if (at && at->Fails(DeleteStep::MoveAside)) {
            error = at->error;
            return nullptr;
        }
        auto aside = Inner().MoveAside(folder, name, error);
        if (aside && m_afterMoveAside)
            m_afterMoveAside(path);
        const auto lying = m_lyingDeletes.find(path);
        if (!aside || (!at && lying == m_lyingDeletes.end()))
            return aside;
        return std::make_unique<FaultyAside>(std::move(aside), at.value_or(DeleteFault{}),
                                             lying == m_lyingDeletes.end() ? std::error_code{} : lying->second);
    }

private:
    enum class ReadFault { FailAfter, Dribble, NoSeek };
    struct ReadRule {
        ReadFault fault = ReadFault::FailAfter;
        std::size_t bytes = 0;
        std::size_t healthyOpens = 0;
    };

    struct DeleteFault {
        std::set<DeleteStep> steps;
        std::error_code error;
        bool Fails(DeleteStep step) const { return steps.contains(step); }
    };

    // A file moved aside whose chosen step fails; lie, when set, is reported after a removal.
    class FaultyAside final : public AsideFile {
    public:
        FaultyAside(std::unique_ptr<AsideFile> inner, DeleteFault fault, std::error_code lie)
            : m_inner(std::move(inner)), m_fault(fault), m_lie(lie), m_file(*this) {}
        FileStatus Status() override {
            FileStatus status = m_inner->Status();
            if (m_fault.Fails(DeleteStep::Examine))
                status.error = m_fault.error;
            return status;
        }
        ReadableFile& File() override { return m_file; }
        std::error_code Remove() override {
            if (m_fault.Fails(DeleteStep::Remove))
                return m_fault.error;
            const std::error_code result = m_inner->Remove();
            return result ? result : m_lie;
        }
        std::string PutBack(std::error_code& error) override {
            if (m_fault.Fails(DeleteStep::PutBack)) {
                error = m_fault.error;
                return {};  // still aside: the real file puts it back when it is dropped
            }
            return m_inner->PutBack(error);
        }
        std::error_code MoveToTrash() override {
            return m_inner->MoveToTrash();
        }

    private:
        class Reader final : public ReadableFile {
        public:
            explicit Reader(FaultyAside& owner) : m_owner(owner) {}
            std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
                if (m_owner.m_fault.Fails(DeleteStep::Read)) {
                    error = m_owner.m_fault.error;
                    return 0;
                }
                return m_owner.m_inner->File().Read(buffer, error);
            }
            bool Seek(std::uint64_t offset) override { return m_owner.m_inner->File().Seek(offset); }
            FileStatus Status() override { return m_owner.m_inner->File().Status(); }

        private:
            FaultyAside& m_owner;
        };

        std::unique_ptr<AsideFile> m_inner;
        DeleteFault m_fault;
        std::error_code m_lie;
        Reader m_file;
    };

    class FaultyFile final : public ReadableFile {
    public:
        FaultyFile(std::unique_ptr<ReadableFile> file, ReadRule rule) : m_file(std::move(file)), m_rule(rule) {}
        std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
            if (m_rule.fault == ReadFault::NoSeek)
                return m_file->Read(buffer, error);
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
        bool Seek(std::uint64_t offset) override { return m_rule.fault != ReadFault::NoSeek && m_file->Seek(offset); }
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
    std::map<std::string, DeleteFault> m_deleteFaults;
    std::map<std::string, std::error_code> m_lyingDeletes;
    Hook m_beforeDelete, m_afterMoveAside, m_beforeOpenSubfolder, m_afterOpenRead;
    std::vector<std::string> m_deleteCalls;
    std::atomic<int> m_listings = 0;
    std::atomic<int> m_opens = 0;
};

}  // namespace zwf::test
