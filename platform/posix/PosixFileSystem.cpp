// The file system of a Linux machine. Though its folder is called posix, this file is Linux only
// in fact: it takes FIDEDUPERANGE from <linux/fs.h>, moves files aside without replacing anything
// with renameat2 (RENAME_NOREPLACE), and counts a thread's own disk reads with RUSAGE_THREAD. A
// port to a BSD or macOS starts with those; the rest is POSIX.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <limits>
#include <mutex>
#include <optional>
#include <utility>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AsideNames.h"
#include "platform/FileSystem.h"
#include "platform/StepJournal.h"
#include "platform/posix/LongPaths.h"
#include "platform/posix/PosixTrash.h"
#include "platform/posix/UniqueFd.h"

namespace zwf {

namespace {

// Files this large are read from start to end; telling the kernel so doubles its read-ahead.
constexpr off_t kSequentialHintBytes = 1024 * 1024;

std::error_code LastError() { return {errno, std::generic_category()}; }

// Listings that tell whether they waited for a disk: one in this many of each thread.
constexpr unsigned kMeasureDiskEvery = 16;

// Blocks the calling thread has read from disks so far (where the system counts by thread), so
// that listings on several threads at once each tell only their own.
long BlocksRead() {
    rusage usage{};
#ifdef RUSAGE_THREAD
    return ::getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_inblock : 0;
#else
    return ::getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_inblock : 0;
#endif
}

// Whether the calling thread has read from a disk lately, asked once in kMeasureDiskEvery calls:
// a hint to read ahead helps a file that is still on the disk and only costs a system call for
// one in the page cache, a tenth of what a small file costs in all.
bool ReadingFromDiskLately() {
    thread_local unsigned calls = 0;
    thread_local long blocks = -1;
    thread_local bool fromDisk = true;
    if (calls++ % kMeasureDiskEvery == 0) {
        const long now = BlocksRead();
        fromDisk = blocks < 0 || now != blocks;
        blocks = now;
    }
    return fromDisk;
}

EntryKind KindOf(mode_t mode) {
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileStatus StatusOf(const struct stat& info) {
    FileStatus status;
    status.kind = KindOf(info.st_mode);
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.identity = IdentityOf(info);
    status.times = {Nanoseconds(info.st_mtim), Nanoseconds(info.st_ctim)};
    return status;
}

FileStatus StatusOfFd(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        FileStatus status;
        status.error = LastError();
        return status;
    }
    return StatusOf(info);
}

class PosixFile final : public ReadableFile {
public:
    // atOpen: the file as examined right after it was opened; the first Status() answers from it,
    // which spares a search of many small files a system call per file.
    PosixFile(int fd, const FileStatus& atOpen) : m_fd(fd), m_atOpen(atOpen) {}
    std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
        for (;;) {
            ssize_t got = ::read(m_fd.Get(), buffer.data(), buffer.size());
            if (got >= 0)
                return static_cast<std::size_t>(got);
            if (errno != EINTR) {
                error = LastError();
                return 0;
            }
        }
    }

    bool Seek(std::uint64_t offset) override {
        if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
            return false;
        return ::lseek(m_fd.Get(), static_cast<off_t>(offset), SEEK_SET) >= 0;
    }

    void WillNeed(std::uint64_t offset, std::size_t length) override {
        if (ReadingFromDiskLately())
            ::posix_fadvise(m_fd.Get(), static_cast<off_t>(offset), static_cast<off_t>(length), POSIX_FADV_WILLNEED);
    }

    FileStatus Status() override {
        if (m_fresh) {
            m_fresh = false;
            return m_atOpen;
        }
        return StatusOfFd(m_fd.Get());
    }

private:
    UniqueFd m_fd;
    FileStatus m_atOpen;
    bool m_fresh = true;
};

bool Unsupported(int code) { return code == EINVAL || code == ENOSYS || code == ENOTSUP; }

// Renames from to a name nobody else knows. A file system that cannot rename without replacing
// is asked to rename plainly: the new name is free and unguessable.
int RenameToPrivate(int folderFd, const std::string& from, const std::string& to) {
    if (::renameat2(folderFd, from.c_str(), folderFd, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (!Unsupported(errno))
        return errno;
    return ::renameat(folderFd, from.c_str(), folderFd, to.c_str()) == 0 ? 0 : errno;
}

// Renames from to to, which must be free: EEXIST when it is taken. A file system without that
// kind of rename gets a new link that cannot replace anything, then the old name removed; one
// without links either, a plain rename once the name was seen free (only a program making that
// very name in the same instant could then lose its file).
int RenameNoReplace(int folderFd, const std::string& from, const std::string& to) {
    if (::renameat2(folderFd, from.c_str(), folderFd, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (!Unsupported(errno))
        return errno;
    if (::linkat(folderFd, from.c_str(), folderFd, to.c_str(), 0) == 0) {
        ::unlinkat(folderFd, from.c_str(), 0);
        return 0;
    }
    if (errno == EEXIST || errno == ENOENT)
        return errno;
    struct stat info {};
    if (::fstatat(folderFd, to.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::renameat(folderFd, from.c_str(), folderFd, to.c_str()) == 0 ? 0 : errno;
}

// Writes the note that holds the full old name of a file about to be moved aside under a cut
// name, and flushes it and the folder to the disk, so the note is there before the move is.
std::error_code WriteNote(int folderFd, const std::string& note, const std::string& name) {
    UniqueFd fd(::openat(folderFd, note.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (fd.Get() < 0)
        return LastError();
    for (std::size_t done = 0; done < name.size();) {
        const ssize_t wrote = ::write(fd.Get(), name.data() + done, name.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            const std::error_code error = wrote < 0 ? LastError() : std::make_error_code(std::errc::io_error);
            ::unlinkat(folderFd, note.c_str(), 0);
            return error;
        }
        done += static_cast<std::size_t>(wrote);
    }
    if (::fsync(fd.Get()) != 0 || ::fsync(folderFd) != 0) {
        const std::error_code error = LastError();
        ::unlinkat(folderFd, note.c_str(), 0);
        return error;
    }
    return {};
}

// The note a private name needs, or "".
std::string NoteOf(const std::string& hidden) {
    const std::optional<AsideName> parsed = ParseAsideName(hidden);
    return parsed && parsed->cut ? NoteName(parsed->key) : std::string();
}

class PosixAside final : public AsideFile {
public:
    // folderFd is this file's own descriptor of the folder; before, the file as the name showed it
    // just before the move.
    PosixAside(int folderFd, std::string name, std::string hidden, const FileStatus& before, StepLog* log)
        : m_folder(folderFd), m_name(std::move(name)), m_hidden(std::move(hidden)), m_before(before), m_log(log) {}
    ~PosixAside() override {
        if (m_aside) {
            std::error_code ignored;
            PutBack(ignored);
        }
    }
    // Opens what lies under the private name: only a regular file, never through a link.
    std::error_code Open() {
        struct stat info {};
        if (::fstatat(m_folder.Get(), m_hidden.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return LastError();
        if (!S_ISREG(info.st_mode) || IdentityOf(info) != m_before.identity)
            return make_error_code(FsError::Changed);  // swapped for something else before the move
        constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
        int fd = ::openat(m_folder.Get(), m_hidden.c_str(), kFlags);
        if (fd < 0 && errno == EACCES)  // unreadable: still examined, never read
            fd = ::openat(m_folder.Get(), m_hidden.c_str(), O_PATH | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            return LastError();
        const FileStatus status = StatusOfFd(fd);
        m_file = std::make_unique<PosixFile>(fd, status);
        if (status.error)
            return status.error;
        if (status.kind != EntryKind::File || status.identity != IdentityOf(info))
            return make_error_code(FsError::Changed);
        return {};
    }

    FileStatus Status() override { return MovedStatus(m_file->Status(), m_before); }
    ReadableFile& File() override { return *m_file; }

    std::error_code Remove() override {
        if (::unlinkat(m_folder.Get(), m_hidden.c_str(), 0) != 0)
            return LastError();
        m_aside = false;
        DropNote();
        return {};
    }
    std::error_code MoveToTrash() override {
        if (const std::error_code error = MoveIntoTrash(m_folder.Get(), m_hidden, m_name, m_log))
            return error;
        m_aside = false;
        DropNote();
        return {};
    }
    // Leaves whatever lies under the private name where it is when dropped.
    void Disown() { m_aside = false; }

    std::string PutBack(std::error_code& error) override {
        std::string name = PutBackUnderFreeName(
            m_name,
            [&](const std::string& candidate) {
                const int code = RenameNoReplace(m_folder.Get(), m_hidden, candidate);
                return code == 0 ? std::error_code{} : std::error_code(code, std::generic_category());
            },
            error);
        // Back, or nothing left under the private name.
        m_aside = error && error != std::errc::no_such_file_or_directory;
        if (!m_aside)
            DropNote();
        return name;
    }

private:
    void DropNote() {
        if (const std::string note = NoteOf(m_hidden); !note.empty())
            ::unlinkat(m_folder.Get(), note.c_str(), 0);
    }

    UniqueFd m_folder;
    std::string m_name, m_hidden;
    FileStatus m_before;
    std::unique_ptr<ReadableFile> m_file;
    StepLog* m_log;
    bool m_aside = true;
};

class PosixFolder final : public FolderHandle {
public:
    PosixFolder(std::string path, FileIdentity identity, int fd) : FolderHandle(std::move(path), identity), m_fd(fd) {}
    PosixFolder(const FolderHandle& parent, std::string_view name, FileIdentity identity, int fd)
        : FolderHandle(parent, name, '/', identity), m_fd(fd) {}
    int Fd() const { return m_fd.Get(); }
    // Whether the folder was listed through this handle before (one thread lists a handle at a
    // time).
    bool WasListed() { return std::exchange(m_listed, true); }

private:
    UniqueFd m_fd;
    bool m_listed = false;
};

int FdOf(FolderHandle& folder) { return static_cast<PosixFolder&>(folder).Fd(); }

bool IsLinkIn(int folderFd, const std::string& name) {
    struct stat info {};
    return ::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

// Whether Linux refused a hard link to target with EPERM for fs.protected_hardlinks: it is on, and
// the file belongs to another user (who may still let the caller read and write it; the system
// asks that too). A file system without hard links refuses with EPERM as well.
bool ProtectedHardLink(const std::string& target) {
    struct stat info {};
    if (::fstatat(AT_FDCWD, target.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || info.st_uid == ::geteuid())
        return false;
    std::FILE* setting = std::fopen("/proc/sys/fs/protected_hardlinks", "re");
    if (setting == nullptr)
        return false;
    const int on = std::fgetc(setting);
    std::fclose(setting);
    return on == '1';
}

// A listing gives its caller a turn after this many entries read, or examined.
constexpr std::size_t kStep = 512;

// Sorts in runs that are then merged pairwise, with a turn after each sort and merge: one sort of
// a few hundred thousand names would hold the caller for a tenth of a second.
template <typename Item, typename Less>
void SortInSteps(std::vector<Item>& items, Less less, const std::function<void()>& between) {
    constexpr std::size_t kRun = 8192;
    const auto at = [&](std::size_t index) { return items.begin() + static_cast<std::ptrdiff_t>(index); };
    const std::size_t count = items.size();
    if (count <= kRun) {
        std::sort(items.begin(), items.end(), less);  // quick enough to need no turn
        return;
    }
    for (std::size_t begin = 0; begin < count; begin += kRun) {
        std::sort(at(begin), at(std::min(count, begin + kRun)), less);
        if (between)
            between();
    }
    for (std::size_t width = kRun; width < count; width *= 2) {
        for (std::size_t begin = 0; begin + width < count; begin += 2 * width) {
            std::inplace_merge(at(begin), at(begin + width), at(std::min(count, begin + 2 * width)), less);
            if (between)
                between();
        }
    }
}

class PosixFileSystem final : public FileSystem {
public:
    char Separator() const override { return '/'; }
    bool ReadsInParallel() const override { return true; }
    bool ListsInParallel() const override { return true; }

    bool IsRoot(std::string_view folder) const override {
        return !folder.empty() && folder.find_first_not_of('/') == std::string_view::npos;
    }

    std::unique_ptr<FolderHandle> OpenFolder(const std::string& folder, std::error_code& error) override {
        UniqueFd fd(OpenPath(folder.empty() ? std::string("/") : folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.Get() < 0) {
            error = LastError();
            return nullptr;
        }
        const FileStatus status = StatusOfFd(fd.Get());
        if (status.error) {
            error = status.error;
            return nullptr;
        }
        error.clear();
        return std::make_unique<PosixFolder>(folder, status.identity, fd.Release());
    }

    std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name,
                                                const FileIdentity& expected, std::error_code& error) override {
        // O_NOFOLLOW: a link put where the folder was is refused, not entered.
        UniqueFd fd(::openat(FdOf(parent), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.Get() < 0) {
            // Linux answers a link with ENOTDIR when O_DIRECTORY is asked too.
            const int code = errno;
            const bool link = code == ELOOP || (code == ENOTDIR && IsLinkIn(FdOf(parent), name));
            error = link ? make_error_code(FsError::IsLink) : std::error_code(code, std::generic_category());
            return nullptr;
        }
        const FileStatus status = StatusOfFd(fd.Get());
        if (status.error) {
            error = status.error;
            return nullptr;
        }
        if (!status.identity.Matches(expected)) {
            error = make_error_code(FsError::Replaced);
            return nullptr;
        }
        error.clear();
        return std::make_unique<PosixFolder>(parent, name, status.identity, fd.Release());
    }

    FolderListing List(FolderHandle& folder) override { return ListInSteps(folder, {}); }

    FolderListing ListInSteps(FolderHandle& folder, const std::function<void()>& between) override {
        FolderListing listing;
        thread_local unsigned listings = 0;
        const bool measured = listings++ % kMeasureDiskEvery == 0;
        const long blocksBefore = measured ? BlocksRead() : 0;
        struct Raw {
            std::string name;
            unsigned char type;
        };
        std::vector<Raw> raw;
        // The entries come straight from the folder's own descriptor, without a stream: a stream
        // wants a descriptor of its own and asks about it three times, five system calls a folder
        // beside the two reads. A folder listed before is read from its start again.
        PosixFolder& posixFolder = static_cast<PosixFolder&>(folder);
        const int dirFd = posixFolder.Fd();
        if (posixFolder.WasListed() && ::lseek(dirFd, 0, SEEK_SET) != 0) {
            listing.error = LastError();
            return listing;
        }
        alignas(dirent64) char block[32 * 1024];
        for (std::size_t read = 1;;) {
            const ssize_t got = ::getdents64(dirFd, block, sizeof block);
            if (got <= 0) {
                if (got < 0)
                    listing.error = LastError();  // what was read so far stays
                break;
            }
            for (ssize_t at = 0; at < got; ++read) {
                const auto* item = reinterpret_cast<const dirent64*>(block + at);
                at += item->d_reclen;
                if (read % kStep == 0 && between)
                    between();
                std::string_view name = item->d_name;
                if (name != "." && name != "..")
                    raw.push_back({std::string(name), item->d_type});
            }
        }
        // A folder's entries in byte order of their names, so every scan catalogues alike.
        SortInSteps(
            raw, [](const Raw& a, const Raw& b) { return a.name < b.name; }, between);
        listing.entries.reserve(raw.size());
        for (std::size_t done = 1; Raw & item : raw) {
            if (done++ % kStep == 0 && between)
                between();
            DirEntry entry;
            entry.name = std::move(item.name);
            if (item.type != DT_UNKNOWN && item.type != DT_REG && item.type != DT_DIR) {
                entry.kind = EntryKind::Other;  // links, FIFOs, sockets, devices: no stat needed
            } else {
                struct stat info {};
                if (::fstatat(dirFd, entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;  // gone since the folder was read
                entry.kind = KindOf(info.st_mode);
                entry.size = static_cast<std::uint64_t>(info.st_size);
                entry.identity = IdentityOf(info);
            }
            listing.entries.push_back(std::move(entry));
        }
        listing.fromDisk = measured && BlocksRead() != blocksBefore;
        return listing;
    }

    FileStatus StatIn(FolderHandle& folder, const std::string& name) override {
        struct stat info {};
        if (::fstatat(FdOf(folder), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            FileStatus status;
            status.error = LastError();
            return status;
        }
        return StatusOf(info);
    }

    // A descriptor of folder of its own, for a file aside there to outlive the handle, while name
    // in it is a regular file (now: what it is); FsError::Changed for anything else.
    UniqueFd HoldFolderOfFile(FolderHandle& folder, const std::string& name, FileStatus& now, std::error_code& error) {
        now = StatIn(folder, name);
        error = now.error;
        if (!error && now.kind != EntryKind::File)
            error = make_error_code(FsError::Changed);
        UniqueFd held(error ? -1 : ::fcntl(FdOf(folder), F_DUPFD_CLOEXEC, 0));
        if (!error && held.Get() < 0)
            error = LastError();
        return held;
    }

    std::unique_ptr<AsideFile> MoveAside(FolderHandle& folder, const std::string& name,
                                         std::error_code& error) override {
        // Only a regular file is moved: a folder or a link standing there now stays where it is.
        FileStatus now;
        UniqueFd held = HoldFolderOfFile(folder, name, now, error);
        if (error)
            return nullptr;
        std::string hidden = PrivateAsideName(name);
        const std::string note = NoteOf(hidden);
        if (!note.empty() && (error = WriteNote(held.Get(), note, name)))
            return nullptr;
        if (StepLog* log = StepLogged())
            log->WillMoveAside(folder.Path(), hidden);
        if (const int code = RenameToPrivate(held.Get(), name, hidden)) {
            error = {code, std::generic_category()};
            if (!note.empty())
                ::unlinkat(held.Get(), note.c_str(), 0);
            return nullptr;
        }
        auto aside = std::make_unique<PosixAside>(held.Release(), name, std::move(hidden), now, StepLogged());
        error = aside->Open();
        if (error)
            return nullptr;  // dropped, it is put back
        return aside;
    }

    std::unique_ptr<AsideFile> AdoptAside(FolderHandle& folder, const std::string& privateName, const std::string& name,
                                          std::error_code& error) override {
        FileStatus now;
        UniqueFd held = HoldFolderOfFile(folder, privateName, now, error);
        if (error)
            return nullptr;
        auto aside = std::make_unique<PosixAside>(held.Release(), name, privateName, now, StepLogged());
        error = aside->Open();
        if (error) {
            aside->Disown();  // not the file examined: nothing is moved
            return nullptr;
        }
        return aside;
    }

    std::error_code LinkIn(FolderHandle& folder, const std::string& name, const std::string& targetPath) override {
        if (::linkat(AT_FDCWD, targetPath.c_str(), FdOf(folder), name.c_str(), 0) == 0)
            return {};
        if (errno == EPERM && ProtectedHardLink(targetPath))
            return make_error_code(FsError::LinkProtected);
        return LastError();
    }

    std::error_code ShareBlocks(const std::string& keptPath, const FileIdentity& kept, const std::string& copyPath,
                                const FileIdentity& copy, std::uint64_t size) override {
        UniqueFd source, target;
        if (const std::error_code error = OpenPair(keptPath, kept, copyPath, copy, &size, source, target))
            return error;
        // One range at a time, as large as file systems take in one call.
        constexpr std::uint64_t kMostPerCall = 16 * 1024 * 1024;
        for (std::uint64_t offset = 0; offset < size;) {
            std::uint64_t shared = 0;
            if (const std::error_code error =
                    Dedupe(source.Get(), target.Get(), offset, std::min(size - offset, kMostPerCall), shared))
                return error;
            if (shared == 0)
                return std::make_error_code(std::errc::not_supported);
            offset += shared;
        }
        return {};
    }

    // A request to share no bytes: the system checks all it checks before it compares, and stops.
    std::error_code CanShareBlocks(const std::string& keptPath, const FileIdentity& kept, const std::string& copyPath,
                                   const FileIdentity& copy) override {
        UniqueFd source, target;
        if (const std::error_code error = OpenPair(keptPath, kept, copyPath, copy, nullptr, source, target))
            return error;
        std::uint64_t shared = 0;
        return Dedupe(source.Get(), target.Get(), 0, 0, shared);
    }

    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override {
        return Opened(OpenPath(path, kReadFlags), error);
    }

    bool OpensReadsInFolders() const override { return true; }
    std::unique_ptr<ReadableFile> OpenReadIn(FolderHandle& folder, const std::string& name,
                                             std::error_code& error) override {
        return Opened(::openat(FdOf(folder), name.c_str(), kReadFlags), error);
    }

private:
    // Opens the two files ShareBlocks takes: regular files of the identities (and size) given.
    std::error_code OpenPair(const std::string& keptPath, const FileIdentity& kept, const std::string& copyPath,
                             const FileIdentity& copy, const std::uint64_t* size, UniqueFd& source, UniqueFd& target) {
        constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
        source = UniqueFd(OpenPath(keptPath, kFlags));
        if (source.Get() < 0)
            return LastError();
        target = UniqueFd(OpenPath(copyPath, kFlags));
        if (target.Get() < 0)
            return LastError();
        for (const auto& [fd, identity] : {std::pair{source.Get(), kept}, std::pair{target.Get(), copy}}) {
            const FileStatus now = StatusOfFd(fd);
            if (now.error)
                return now.error;
            if (now.kind != EntryKind::File || (size && now.size != *size) || !now.identity.Matches(identity))
                return make_error_code(FsError::Changed);
        }
        return {};
    }

    // One FIDEDUPERANGE request for length bytes at offset of both files; shared tells how many
    // the system shared.
    static std::error_code Dedupe(int source, int target, std::uint64_t offset, std::uint64_t length,
                                  std::uint64_t& shared) {
        // The request for one copy: the range, then the copy's entry right behind it.
        alignas(file_dedupe_range) std::byte request[sizeof(file_dedupe_range) + sizeof(file_dedupe_range_info)]{};
        auto* range = reinterpret_cast<file_dedupe_range*>(request);
        range->src_offset = offset;
        range->src_length = length;
        range->dest_count = 1;
        file_dedupe_range_info& info = range->info[0];
        info.dest_fd = target;
        info.dest_offset = offset;
        if (::ioctl(source, FIDEDUPERANGE, range) != 0) {
            const int code = errno;
            const bool unsupported = code == EOPNOTSUPP || code == EINVAL || code == ENOTTY || code == ENOSYS;
            return unsupported ? std::make_error_code(std::errc::not_supported)
                               : std::error_code(code, std::generic_category());
        }
        if (info.status == FILE_DEDUPE_RANGE_DIFFERS)
            return make_error_code(FsError::Changed);
        if (info.status < 0)
            return {-info.status, std::generic_category()};
        shared = info.bytes_deduped;
        return {};
    }

    // O_NONBLOCK: a FIFO put where a file was must not hang the open; O_NOFOLLOW: nor a link.
    static constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;

    // A file just opened for reading, if it is a regular file.
    static std::unique_ptr<ReadableFile> Opened(int fd, std::error_code& error) {
        if (fd < 0) {
            error = LastError();
            return nullptr;
        }
        UniqueFd owned(fd);
        struct stat info {};
        if (::fstat(fd, &info) != 0) {
            error = LastError();
            return nullptr;
        }
        if (!S_ISREG(info.st_mode)) {
            error = std::make_error_code(std::errc::invalid_argument);
            return nullptr;
        }
        // O_NONBLOCK stays: it has no effect on regular files, and clearing it would cost two
        // more system calls per file, a fifth of a search over many small files.
        if (info.st_size >= kSequentialHintBytes)
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        error.clear();
        return std::make_unique<PosixFile>(owned.Release(), StatusOf(info));
    }

    // Opens a full path of any length: one the kernel takes at once directly, a longer one by its
    // last name inside its parent folder, which the opener reaches one name at a time.
    int OpenPath(const std::string& path, int flags) {
        if (path.size() < PATH_MAX)
            return ::open(path.c_str(), flags);
        const auto [parent, leaf] = posix::SplitParent(path);
        std::lock_guard lock(m_longMutex);
        const int parentFd = m_long.Folder(parent);
        return parentFd < 0 ? -1 : ::openat(parentFd, leaf.c_str(), flags);
    }

    // Long paths share the opener's kept folders; the lock lets files be opened from several threads.
    std::mutex m_longMutex;
    posix::LongPathOpener m_long;
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace zwf
