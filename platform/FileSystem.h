#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace zwf {

class StepLog;

// Which file on disk a name leads to: device and inode on POSIX, volume serial and
// file index on Windows. Two records with equal identity are the same file.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
    bool Known() const { return volume != 0 || index != 0; }
    // Not told apart: equal, or unknown on either side (volumes without file ids).
    bool Matches(const FileIdentity& other) const { return !Known() || !other.Known() || *this == other; }
};

// When a file's content was last written, and when anything about it last changed (a time no
// user can set on POSIX). Units are the platform's own; only equality is ever asked.
struct FileTimes {
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    friend bool operator==(const FileTimes&, const FileTimes&) = default;
};

enum class EntryKind : std::uint8_t {
    File,    // a regular file
    Folder,  // a real folder (never a link to one)
    Other,   // links, junctions, FIFOs, sockets, devices: neither catalogued nor entered
};

struct DirEntry {
    std::string name;  // as the file system gives it: bytes on POSIX, UTF-8 on Windows
    EntryKind kind = EntryKind::Other;
    std::uint64_t size = 0;
    FileIdentity identity;  // of files and folders alike
};

struct FolderListing {
    // "." and ".." left out, in the order FileSystem describes. When error is set, the entries read
    // before the failure are still here.
    std::vector<DirEntry> entries;
    std::error_code error;
    // The listing waited for the disk: what it read was not all in the system's caches. Only
    // where the system tells (POSIX), and there for one listing in sixteen of each thread, as
    // asking costs a system call; false elsewhere.
    bool fromDisk = false;
};

struct FileStatus {
    EntryKind kind = EntryKind::Other;
    std::uint64_t size = 0;
    FileIdentity identity;
    FileTimes times;
    std::error_code error;  // set when the name leads to nothing that can be examined
};

// True when a file is still the one described by expected: a regular file of the same size and
// times and, where both identities are known, the same identity.
bool SameFile(const FileStatus& now, const FileStatus& expected);

// Failures that are not the operating system's: a file or folder is no longer what was expected.
enum class FsError {
    Changed = 1,   // a file's identity, size or times differ from what was expected
    Replaced = 2,  // a folder's identity differs from what its parent listed: it was swapped
    IsLink = 3,    // a link or junction stands where a folder was listed
    // a second name is refused to a file of another owner the caller may not both read and write
    // (Linux, fs.protected_hardlinks)
    LinkProtected = 4,
};
const std::error_category& FsCategory();
inline std::error_code make_error_code(FsError error) { return {static_cast<int>(error), FsCategory()}; }

class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    // Reads up to buffer.size() bytes from the current position. Returns the number read;
    // 0 means the end of the file, or a failure when error is set.
    virtual std::size_t Read(std::span<std::byte> buffer, std::error_code& error) = 0;
    // Moves the read position to offset bytes from the start. A file that cannot move returns
    // false and stays where it was; callers then read their way instead.
    virtual bool Seek(std::uint64_t /*offset*/) { return false; }
    // Tells the system that length bytes from offset are read soon, so that it may start
    // fetching them from the disk meanwhile. Only a hint: it may do nothing.
    virtual void WillNeed(std::uint64_t /*offset*/, std::size_t /*length*/) {}
    // The opened file as it is now: whatever happens to its name, this is the file being read.
    virtual FileStatus Status() = 0;
};

// A folder held open. Its subfolders are opened through it and its files examined and removed
// through it, so no link, and no folder renamed or swapped meanwhile, can lead elsewhere.
class FolderHandle {
public:
    // A folder reached by its full path.
    FolderHandle(std::string path, FileIdentity identity)
        : m_place(std::make_shared<const Place>(Place{nullptr, std::move(path), 0})), m_identity(identity) {}
    // A folder reached through parent: its path shares the parent's, so a deep tree costs no
    // copies of long paths.
    FolderHandle(const FolderHandle& parent, std::string_view name, char separator, FileIdentity identity)
        : m_place(std::make_shared<const Place>(Place{parent.m_place, std::string(name), separator})),
          m_identity(identity) {}
    virtual ~FolderHandle() = default;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // The path it was reached by, in catalogue form (no trailing separator; "" is the POSIX root).
    std::string Path() const;
    const FileIdentity& Identity() const { return m_identity; }

private:
    struct Place {
        std::shared_ptr<const Place> parent;
        std::string name;
        char separator;  // between the parent's path and name
    };
    std::shared_ptr<const Place> m_place;
    FileIdentity m_identity;
};

// A file moved aside by FileSystem::MoveAside: held under a private name in its own folder, read
// and examined through what was opened there. It ends removed or put back; one that is dropped
// undecided is put back, so no private name is ever left behind.
class AsideFile {
public:
    // Appended to the old name when another file took that name meanwhile.
    static constexpr std::string_view kRescueSuffix = ".zwillingsfeger-gerettet";

    virtual ~AsideFile() = default;
    // The moved file as it is now, except for its change time: the move itself sets that, so
    // the one it had just before the move is given, as long as its identity, size and
    // modification time are still what they were then.
    virtual FileStatus Status() = 0;
    // The moved file itself, to be read (from its start until Seek moves it).
    virtual ReadableFile& File() = 0;
    // Removes the moved file. When that fails, it is still aside: put it back.
    virtual std::error_code Remove() = 0;
    // Puts the file back under its old name without replacing anything. When another file took
    // that name meanwhile, it goes beside it as name + kRescueSuffix (a number added where that is
    // taken too). Returns the name it has now; "" with error set when it could not be put back (a
    // file already gone from its private name gives std::errc::no_such_file_or_directory).
    virtual std::string PutBack(std::error_code& error) = 0;
    // Moves the moved file into the desktop's trash on its own file system, recorded as the file
    // that stood under its old name in its folder (by the full path the folder has now), from where
    // it can be restored. What a trash takes first
    // (its record of the file) is written down in the step log before it is written, so an
    // interruption at any instant leaves the file either aside (put back at the next start) or in
    // the trash with its record, and no record without its file. When no trash on the file's own
    // file system takes it, it is still aside: put it back.
    virtual std::error_code MoveToTrash() { return std::make_error_code(std::errc::not_supported); }
};

// Everything the engine and the commands need of the file system. What every implementation
// guarantees, and tests/support/FileSystemContract.h checks for each:
//
// Errors are values. No call throws; a failure comes back as an error_code (or a null handle with
// the error set). The conditions callers act on use the portable codes on every system: a missing
// name is std::errc::no_such_file_or_directory, a file where a folder was wanted
// std::errc::not_a_directory; the FsError codes say that something is not what was expected.
//
// Names are bytes. A name is handed out as the system gives it (any bytes but '\0' and the
// separator on POSIX, UTF-8 on Windows) and leads back to the same file in every call; no name is
// altered on the way (Windows: a trailing dot or space stays). Paths are full paths in the
// catalogue's form, folder + separator + name, and may be of any length: every call takes paths
// longer than the system takes in one call.
//
// Links are never followed below the folder a user added. Only OpenFolder follows links, so the
// folder a user chose may be reached through one. Below it, List and StatIn examine a link as
// itself (EntryKind::Other), OpenSubfolder refuses one with FsError::IsLink, and DeleteIn never
// removes one (it is no regular file). Wine shows Windows programs only part of a Unix link:
// a link to a folder is listed as a link, one to a file as that file, and examining or opening a
// link reaches its target. OpenSubfolder still refuses a link to a folder there, and what a file
// link leads to is at worst a second name of a file, told by its identity.
//
// Identities tell files apart. A listing, StatIn, Stat, an opened folder and an opened file all
// give the same FileIdentity for the same file or folder, and two names of one file (hard links)
// share it. An identity may be unknown (a volume without file ids); FileIdentity::Matches then
// tells nothing apart, so a check of identity never refuses on an unknown one.
//
// Handles hold on. A folder held open (FolderHandle) is the folder listed, examined and removed
// from, whatever happens to its name meanwhile: renamed or swapped, the old folder is still the
// one worked in (POSIX keeps a descriptor; Windows refuses to rename the folder while it is held).
// An opened file likewise stays the file read, and ReadableFile::Status describes that file.
//
// Listings. List gives every entry once, "." and ".." left out, with its kind, size (of files;
// of a folder, its own size where the system tells it, on POSIX, which grows with its entries)
// and identity, in an order that is the same for every listing of an unchanged folder: byte order
// of the names on POSIX, the file system's own order on Windows (by name on NTFS). A read that
// fails part-way returns the entries read before the failure together with its error; an entry
// that vanished between the read of the folder and its examination is left out.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual char Separator() const = 0;
    // True when OpenRead and the reads of the files it opened may be called from several threads
    // at once (each file read by one thread at a time).
    virtual bool ReadsInParallel() const { return false; }
    // True when folders may be opened (OpenSubfolder) and listed from several threads at once,
    // each listing on a handle of its own. A wrapper that watches calls leaves it false, so that it
    // sees them all from the thread that scans.
    virtual bool ListsInParallel() const { return false; }
    // A folder text (with or without a trailing separator) that names a root: "/" or "C:\".
    virtual bool IsRoot(std::string_view folder) const = 0;

    // Opens a folder by its full path (catalogue form, no trailing separator: the POSIX root is "",
    // a drive root "C:", though "/" and "C:\" are taken too). Links on the way and at its end are
    // followed: this is how the folder a user chose is reached.
    virtual std::unique_ptr<FolderHandle> OpenFolder(const std::string& folder, std::error_code& error) = 0;
    // Opens the folder name inside parent, through parent. A link or junction there is never
    // followed (FsError::IsLink), even one leading to the folder expected; a folder whose identity
    // does not match expected is refused with FsError::Replaced; a file gives
    // std::errc::not_a_directory. Path() of the result is parent's path, separator, name.
    virtual std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name,
                                                        const FileIdentity& expected, std::error_code& error) = 0;
    // One read of an opened folder: every entry with its kind, size and identity, links not
    // followed. A read that fails part-way keeps the entries read before it and reports the error.
    virtual FolderListing List(FolderHandle& folder) = 0;
    // List, calling between() every few hundred entries as it goes, so that a folder of hundreds
    // of thousands of files leaves the caller its turns while it is read. The listing is the one
    // List gives. A system that cannot list in steps lists at once.
    virtual FolderListing ListInSteps(FolderHandle& folder, const std::function<void()>& /*between*/) {
        return List(folder);
    }
    // Examines the name inside folder without following a link. A missing name sets the status's
    // error; a link, FIFO or device is EntryKind::Other.
    virtual FileStatus StatIn(FolderHandle& folder, const std::string& name) = 0;
    // Moves the regular file name inside folder aside: renames it, inside the folder held open and
    // without replacing anything, to a private name nobody can guess, and holds it open there
    // (never through a link). From then on nothing done to the old name (a new file saved over
    // it, two names exchanged) reaches the file moved, and nothing done to the file moved reaches
    // whatever takes the old name. A missing name gives std::errc::no_such_file_or_directory;
    // a folder, link, FIFO or device is not moved (or is put back at once) and gives
    // FsError::Changed.
    //
    // A move aside survives any interruption, and travels with its folder. The private name is
    // PrivateAsideName(name) (platform/AsideNames.h): it carries the old name itself, so the
    // rename that hides the file is the same step that records where it came from; a process
    // killed at any instant leaves either the old name or a private name that tells it, in the
    // folder itself, whichever machine opens the folder next. Where the old name does not fit
    // into 255 bytes, the private name carries its start, and the full name is first written
    // into a note beside it (NoteName of its key) and flushed to the disk, with the folder, before
    // the rename; the note goes when the file is removed or put back. Nothing else is needed to
    // undo the step: whatever it was to do, a file found under a private name is put back, unless
    // its old name holds the same bytes again (a link made, or a copy saved there), in which case
    // it is a proven copy and goes (RecoverLeftover, catalogue/Leftovers.h).
    virtual std::unique_ptr<AsideFile> MoveAside(FolderHandle& folder, const std::string& name,
                                                 std::error_code& error) = 0;
    // Takes the regular file left under privateName inside folder by an interrupted move aside as
    // moved aside from name: opened there (never through a link) and from then on what MoveAside
    // gives, so it is removed or put back like any other (dropped undecided, it goes back). A
    // missing name gives std::errc::no_such_file_or_directory; anything but a regular file
    // FsError::Changed. A system that cannot move files aside gives std::errc::not_supported.
    virtual std::unique_ptr<AsideFile> AdoptAside(FolderHandle& /*folder*/, const std::string& /*privateName*/,
                                                  const std::string& /*name*/, std::error_code& error) {
        error = std::make_error_code(std::errc::not_supported);
        return nullptr;
    }
    // Removes the file name inside folder, only while it is still the file expected (SameFile:
    // a regular file of the same size, times and identity); otherwise nothing is removed and
    // FsError::Changed is returned, for a folder or link as well. A file already gone gives
    // std::errc::no_such_file_or_directory. The file is moved aside, examined where it lies
    // then, and removed there, or put back.
    std::error_code DeleteIn(FolderHandle& folder, const std::string& name, const FileStatus& expected);
    // Makes name inside folder a second name (a hard link) of the file at targetPath, the last
    // name of which is not followed if it is a link; never replaces anything: a name taken gives
    // std::errc::file_exists, two file systems std::errc::cross_device_link, a target another
    // owner's protected hard links keep from a second name FsError::LinkProtected. Systems without
    // hard links give std::errc::not_supported (or, on Linux, std::errc::operation_not_permitted).
    virtual std::error_code LinkIn(FolderHandle& /*folder*/, const std::string& /*name*/,
                                   const std::string& /*targetPath*/) {
        return std::make_error_code(std::errc::not_supported);
    }
    // Lets the file at copyPath share the blocks of the file at keptPath, where the system compares
    // the two and shares only what is equal, in one step no writer can come between (Linux
    // FIDEDUPERANGE). Both must be regular files of the identity given and of size bytes, else
    // FsError::Changed, as for contents that differ; a file system that cannot share blocks
    // gives std::errc::not_supported, two file systems std::errc::cross_device_link.
    virtual std::error_code ShareBlocks(const std::string& /*keptPath*/, const FileIdentity& /*kept*/,
                                        const std::string& /*copyPath*/, const FileIdentity& /*copy*/,
                                        std::uint64_t /*size*/) {
        return std::make_error_code(std::errc::not_supported);
    }

    // Whether ShareBlocks of the two would be tried at all, asked without changing anything: the
    // reasons ShareBlocks gives before it compares (no sharing of blocks on this file system, two
    // file systems, no right to share the copy's blocks); FsError::Changed as it does.
    virtual std::error_code CanShareBlocks(const std::string& /*keptPath*/, const FileIdentity& /*kept*/,
                                           const std::string& /*copyPath*/, const FileIdentity& /*copy*/) {
        return std::make_error_code(std::errc::not_supported);
    }

    // Opens a regular file for reading only, sharing reads with others; a missing file is never
    // created, and a folder or a FIFO is refused (a FIFO without waiting for a writer). A final link
    // is refused on POSIX; where the system cannot tell at the open (a Unix link under Wine) the
    // file it leads to is opened, and its Status gives that file's identity, never the link's.
    virtual std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) = 0;
    // OpenRead of the file name inside folder. Where OpensReadsInFolders, it is opened through the
    // held folder, which spares the walk along the whole path; elsewhere by folder's path and name.
    virtual std::unique_ptr<ReadableFile> OpenReadIn(FolderHandle& folder, const std::string& name,
                                                     std::error_code& error);
    virtual bool OpensReadsInFolders() const { return false; }

    // From now on each file about to be moved aside is first written down in log (StepJournal.h),
    // where the next start of the program looks; nothing is written down while it is null.
    virtual void SetStepLog(StepLog* log) { m_stepLog = log; }

    // Conveniences over the calls above, by full path.
    FolderListing ListFolder(const std::string& folder);
    FileStatus Stat(const std::string& path);
    // Removes the file at path if it is a regular file; anything else is left alone.
    std::error_code Delete(const std::string& path);

protected:
    StepLog* StepLogged() const { return m_stepLog; }

private:
    StepLog* m_stepLog = nullptr;
};

// The file system of the machine the program runs on (POSIX or Win32, chosen by the build).
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace zwf

template <>
struct std::is_error_code_enum<zwf::FsError> : std::true_type {};
