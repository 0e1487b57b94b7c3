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
    FileIdentity identity;
};

struct FolderListing {
    std::vector<DirEntry> entries;  // "." and ".." left out; sorted by name bytes on POSIX
    std::error_code error;
};

struct FileStatus {
    EntryKind kind = EntryKind::Other;
    std::uint64_t size = 0;
    FileIdentity identity;
    std::error_code error;  // set when the name leads to nothing that can be examined
};

class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    // Reads up to buffer.size() bytes from the current position. Returns the number read;
    // 0 means the end of the file, or a failure when error is set.
    virtual std::size_t Read(std::span<std::byte> buffer, std::error_code& error) = 0;
    // Moves the read position to offset bytes from the start. A file that cannot move returns
    // false and stays where it was; callers then read their way instead.
    virtual bool Seek(std::uint64_t /*offset*/) { return false; }
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

    // One read of a folder: every entry with its kind, size and identity, links not followed.
    // folder is in catalogue form, without a trailing separator; "" is the POSIX root.
    virtual FolderListing ListFolder(const std::string& folder) = 0;
    // Examines a name without following a final link.
    virtual FileStatus Stat(const std::string& path) = 0;
    // Opens for reading only, sharing reads with others; an existing file is never created.
    virtual std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) = 0;
    // Removes a file. A file that is already gone is reported as std::errc::no_such_file_or_directory.
    virtual std::error_code Delete(const std::string& path) = 0;
};

// The file system of the machine the program runs on (POSIX or Win32, chosen by the build).
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace zwf
