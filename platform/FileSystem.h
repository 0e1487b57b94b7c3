#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace zwf {

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
    // "." and ".." left out; sorted by name bytes on POSIX. When error is set, the entries read
    // before the failure are still here.
    std::vector<DirEntry> entries;
    std::error_code error;
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

// Everything the engine and the commands need of the file system. Implementations never throw;
// paths are full paths in the catalogue's form (folder, separator, name) and may be of any length.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual char Separator() const = 0;
    // True when OpenRead and the reads of the files it opened may be called from several threads
    // at once (each file read by one thread at a time).
    virtual bool ReadsInParallel() const { return false; }
    // A folder text (with or without a trailing separator) that names a root: "/" or "C:\".
    virtual bool IsRoot(std::string_view folder) const = 0;

    // Opens a folder by its full path (catalogue form, no trailing separator). Links on the way
    // are followed: this is how the folder a user chose is reached.
    virtual std::unique_ptr<FolderHandle> OpenFolder(const std::string& folder, std::error_code& error) = 0;
    // Opens the folder name inside parent. A link or junction there is never followed (FsError::IsLink),
    // and a folder whose identity differs from expected (where both are known) is refused with
    // FsError::Replaced.
    virtual std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name,
                                                        const FileIdentity& expected, std::error_code& error) = 0;
    // One read of an opened folder: every entry with its kind, size and identity, links not
    // followed. A read that fails part-way keeps the entries read before it.
    virtual FolderListing List(FolderHandle& folder) = 0;
    // Examines the name inside folder without following a link.
    virtual FileStatus StatIn(FolderHandle& folder, const std::string& name) = 0;
    // Removes the file name inside folder, only while it is still the file expected (SameFile);
    // otherwise nothing is removed and FsError::Changed is returned. A file already gone gives
    // std::errc::no_such_file_or_directory.
    virtual std::error_code DeleteIn(FolderHandle& folder, const std::string& name, const FileStatus& expected) = 0;

    // Opens for reading only, sharing reads with others; an existing file is never created, and
    // a final link is not followed.
    virtual std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) = 0;

    // Conveniences over the calls above, by full path.
    FolderListing ListFolder(const std::string& folder);
    FileStatus Stat(const std::string& path);
    // Removes the file at path if it is a regular file; anything else is left alone.
    std::error_code Delete(const std::string& path);
};

// The file system of the machine the program runs on (POSIX or Win32, chosen by the build).
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace zwf

template <>
struct std::is_error_code_enum<zwf::FsError> : std::true_type {};
