// https://learn.microsoft.com/windows/win32/fileio/listing-the-files-in-a-directory
#include <windows.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "platform/AsideNames.h"
#include "platform/FileSystem.h"
#include "platform/StepJournal.h"
#include "platform/win32/EntryKinds.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Utf16.h"

namespace zwf {

namespace {

using win32::KindOfEntry;
using win32::Narrow;
using win32::UniqueFind;
using win32::UniqueHandle;
using win32::Widen;

// The errors callers act on are reported in the portable category; the rest keep their code.
std::error_code ErrorFrom(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED: return std::make_error_code(std::errc::permission_denied);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return std::make_error_code(std::errc::device_or_resource_busy);
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY: return std::make_error_code(std::errc::invalid_argument);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_WRITE_PROTECT: return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_TOO_MANY_LINKS: return std::make_error_code(std::errc::too_many_links);
    default: return {static_cast<int>(code), std::system_category()};
    }
}

std::error_code LastError() { return ErrorFrom(::GetLastError()); }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The \\?\ form of a full path: the wide API then takes it literally and at any length. The
// classic rules would cut it at MAX_PATH characters and drop a trailing dot or space from the
// last name, so "x." would open, or delete, the file "x".
std::wstring NativePath(std::string_view path) {
    std::wstring wide = Widen(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');  // the literal form knows only backslashes
    if (wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\"))
        return wide;
    if (wide.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + wide.substr(2);
    if (wide.size() == 2 && wide[1] == L':')
        wide.push_back(L'\\');  // "C:" names the drive's root here, not its current folder
    if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\')
        return L"\\\\?\\" + wide;
    return wide;  // a relative text cannot take the literal form; the call makes of it what it can
}

std::uint64_t Combine(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

// Opens a name for examination only: no read access is asked, so no sharing mode held by
// others stands in the way, and a final link is opened itself rather than followed.
UniqueHandle OpenForQuery(const std::wstring& path) {
    return UniqueHandle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, Combine(info.nFileIndexHigh, info.nFileIndexLow)};
}

// Kind, size, identity and times of an opened file or folder; a link is examined, not followed.
FileStatus StatusOf(HANDLE handle) {
    FileStatus status;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        status.error = LastError();
        return status;
    }
    FILE_ATTRIBUTE_TAG_INFO tag{};  // a tag that cannot be read stays 0, and counts as a link
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag);
    status.kind = KindOfEntry(info.dwFileAttributes, tag.ReparseTag);
    if (status.kind == EntryKind::File)
        status.size = Combine(info.nFileSizeHigh, info.nFileSizeLow);
    status.identity = IdentityOf(info);
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        status.times = {basic.LastWriteTime.QuadPart, basic.ChangeTime.QuadPart};
    else
        status.times = {
            static_cast<std::int64_t>(Combine(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)),
            0};
    return status;
}

// Reads through a handle owned elsewhere.
class HandleReader : public ReadableFile {
public:
    explicit HandleReader(HANDLE file) : m_handle(file) {}
    std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
        constexpr std::size_t kMostPerCall = 1u << 30;
        const DWORD wanted = static_cast<DWORD>(std::min(buffer.size(), kMostPerCall));
        DWORD got = 0;
        if (!::ReadFile(m_handle, buffer.data(), wanted, &got, nullptr)) {
            error = LastError();
            return 0;
        }
        return got;
    }
    bool Seek(std::uint64_t offset) override {
        LARGE_INTEGER position{};
        position.QuadPart = static_cast<LONGLONG>(offset);
        return offset <= static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max()) &&
               ::SetFilePointerEx(m_handle, position, nullptr, FILE_BEGIN);
    }
    FileStatus Status() override { return StatusOf(m_handle); }

private:
    HANDLE m_handle;
};

// Renames the file open as handle to the full path target, never replacing another file.
bool RenameByHandle(HANDLE handle, const std::string& target) {
    const std::wstring wide = NativePath(target);
    const std::size_t bytes = wide.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(wide.begin(), wide.end(), info->FileName);
    return ::SetFileInformationByHandle(handle, FileRenameInfo, info, static_cast<DWORD>(buffer.size()));
}

// The note a private name needs, or "".
std::string NoteOf(const std::string& hidden) {
    const std::optional<AsideName> parsed = ParseAsideName(hidden);
    return parsed && parsed->cut ? NoteName(parsed->key) : std::string();
}

// Writes the note that holds the full old name of a file about to be moved aside under a cut
// name, flushed to the disk, so the note is there before the move is.
std::error_code WriteNote(const std::string& notePath, const std::string& name) {
    const std::wstring path = NativePath(notePath);
    UniqueHandle note(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!note.IsValid())
        return LastError();
    DWORD wrote = 0;
    const bool written = ::WriteFile(note.Get(), name.data(), static_cast<DWORD>(name.size()), &wrote, nullptr) &&
                         wrote == name.size() && ::FlushFileBuffers(note.Get());
    const std::error_code error = written ? std::error_code{} : LastError();
    note.Reset();
    if (!written)
        ::DeleteFileW(path.c_str());
    return error;
}

// A file moved aside through the one handle it was opened with. Nobody else may write, rename or
// remove it while that handle is open (no sharing but reads), so what is read is what goes.
class Win32Aside final : public AsideFile {
public:
    Win32Aside(UniqueHandle file, std::string folder, std::string name, std::string hidden, const FileStatus& before)
        : m_file(std::move(file)), m_reader(m_file.Get()), m_folder(std::move(folder)), m_name(std::move(name)),
          m_hidden(std::move(hidden)), m_before(before) {}
    ~Win32Aside() override {
        if (m_aside) {
            std::error_code ignored;
            PutBack(ignored);
        }
    }
    FileStatus Status() override { return MovedStatus(StatusOf(m_file.Get()), m_before); }
    ReadableFile& File() override { return m_reader; }

    std::error_code Remove() override {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        if (!::SetFileInformationByHandle(m_file.Get(), FileDispositionInfo, &disposition, sizeof disposition))
            return LastError();
        m_aside = false;
        m_file.Reset();  // the file goes as its last handle closes
        DropNote();
        return {};
    }

    std::string PutBack(std::error_code& error) override {
        if (!m_file.IsValid()) {  // removed already
            error = std::make_error_code(std::errc::no_such_file_or_directory);
            return {};
        }
        std::string name = PutBackUnderFreeName(
            m_name,
            [&](const std::string& candidate) {
                if (RenameByHandle(m_file.Get(), m_folder + candidate))
                    return std::error_code{};
                const DWORD code = ::GetLastError();
                return code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS
                           ? std::make_error_code(std::errc::file_exists)
                           : ErrorFrom(code);
            },
            error);
        m_aside = static_cast<bool>(error);
        if (!m_aside)
            DropNote();
        return name;
    }

private:
    void DropNote() {
        if (const std::string note = NoteOf(m_hidden); !note.empty())
            ::DeleteFileW(NativePath(m_folder + note).c_str());
    }

    UniqueHandle m_file;
    HandleReader m_reader;
    std::string m_folder;  // with its trailing separator
    std::string m_name, m_hidden;
    FileStatus m_before;
    bool m_aside = true;
};

// A file opened for reading. Nobody may write, rename or remove it while it is open (it is
// shared for reading only), so it is examined once, when first asked: that spares a search two
// calls for every file it checks again after reading it.
class Win32File final : public HandleReader {
public:
    explicit Win32File(UniqueHandle file) : HandleReader(file.Get()), m_file(std::move(file)) {}
    FileStatus Status() override {
        if (!m_status)
            m_status = HandleReader::Status();
        return *m_status;
    }

private:
    UniqueHandle m_file;
    std::optional<FileStatus> m_status;
};

// A folder held open without sharing the right to delete it, so it cannot be renamed or removed
// while the program works inside it.
class Win32Folder final : public FolderHandle {
public:
    Win32Folder(std::string path, FileIdentity identity, UniqueHandle handle)
        : FolderHandle(std::move(path), identity), m_handle(std::move(handle)) {}
    HANDLE Get() const { return m_handle.Get(); }

private:
    UniqueHandle m_handle;
};

HANDLE HandleOf(FolderHandle& folder) { return static_cast<Win32Folder&>(folder).Get(); }

std::string Inside(const FolderHandle& folder, const std::string& name) {
    std::string path = folder.Path();
    if (path.empty() || path.back() != '\\')
        path.push_back('\\');
    return path + name;
}

UniqueHandle OpenFolderHandle(const std::string& path, DWORD flags) {
    return UniqueHandle(::CreateFileW(NativePath(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

class Win32FileSystem final : public FileSystem {
public:
    char Separator() const override { return '\\'; }
    // Every call works on its own handles, so files may be opened and read from several threads.
    bool ReadsInParallel() const override { return true; }

    // "C:" and "C:\" are drive roots, as are "\\server\share" and "\\server\share\".
    bool IsRoot(std::string_view folder) const override {
        if (folder.size() >= 2 && folder.size() <= 3 && IsDriveLetter(folder[0]) && folder[1] == ':')
            return folder.size() == 2 || folder[2] == '\\';
        if (!folder.starts_with("\\\\") || folder.starts_with("\\\\?\\"))
            return false;
        std::string_view rest = folder.substr(2);
        if (rest.ends_with('\\'))
            rest.remove_suffix(1);
        const std::size_t split = rest.find('\\');
        return split != std::string_view::npos && split > 0 && split + 1 < rest.size() &&
               rest.find('\\', split + 1) == std::string_view::npos;
    }

    std::unique_ptr<FolderHandle> OpenFolder(const std::string& folder, std::error_code& error) override {
        if (folder.empty()) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
            return nullptr;
        }
        return Opened(folder, OpenFolderHandle(folder, 0), FileIdentity{}, error);
    }

    std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name,
                                                const FileIdentity& expected, std::error_code& error) override {
        // The reparse point itself is opened, so a junction or link put there is seen, not followed.
        const std::string path = Inside(parent, name);
        auto folder = Opened(path, OpenFolderHandle(path, FILE_FLAG_OPEN_REPARSE_POINT), expected, error);
        // Wine opens a Unix link's target and shows no reparse point on the handle; the folder's
        // own entry for the name tells. Asked after the open, so a swap before it is seen too.
        if (folder && ListedAsLink(path)) {
            error = make_error_code(FsError::IsLink);
            return nullptr;
        }
        return folder;
    }

    FolderListing List(FolderHandle& folder) override { return ListInSteps(folder, {}); }

    FolderListing ListInSteps(FolderHandle& folder, const std::function<void()>& between) override {
        FolderListing listing;
        listing.error =
            ReadEntries(HandleOf(folder), static_cast<DWORD>(folder.Identity().volume), listing.entries, between);
        FillMissingIdentities(folder.Path(), listing.entries, between);
        return listing;
    }

    FileStatus StatIn(FolderHandle& folder, const std::string& name) override {
        UniqueHandle file = OpenForQuery(NativePath(Inside(folder, name)));
        if (!file.IsValid()) {
            FileStatus status;
            status.error = LastError();
            return status;
        }
        return StatusOf(file.Get());
    }

    // Opens the regular file name inside folder to be moved or removed, with one handle from the
    // check to the end: others may only read meanwhile, and a link is opened itself (a folder too,
    // to be refused by its kind: FsError::Changed). A file that may not be read is still examined
    // and moved, never read. status: what the file is.
    UniqueHandle OpenToMove(FolderHandle& folder, const std::string& name, FileStatus& status, std::error_code& error) {
        const std::wstring path = NativePath(Inside(folder, name));
        constexpr DWORD kFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN;
        UniqueHandle file(::CreateFileW(path.c_str(), DELETE | GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        kFlags, nullptr));
        if (!file.IsValid() && ::GetLastError() == ERROR_ACCESS_DENIED)
            file = UniqueHandle(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, kFlags, nullptr));
        if (!file.IsValid()) {
            error = LastError();
            return file;
        }
        status = StatusOf(file.Get());
        error = status.error;
        if (!error && status.kind != EntryKind::File)
            error = make_error_code(FsError::Changed);
        return file;
    }

    std::unique_ptr<AsideFile> MoveAside(FolderHandle& folder, const std::string& name,
                                         std::error_code& error) override {
        FileStatus before;
        UniqueHandle file = OpenToMove(folder, name, before, error);
        if (error)
            return nullptr;
        std::string folderPath = Inside(folder, "");
        std::string hidden = PrivateAsideName(name);
        const std::string note = NoteOf(hidden);
        if (!note.empty() && (error = WriteNote(folderPath + note, name)))
            return nullptr;
        if (StepLog* log = StepLogged())
            log->WillMoveAside(folder.Path(), hidden);
        if (!RenameByHandle(file.Get(), folderPath + hidden)) {
            error = LastError();
            if (!note.empty())
                ::DeleteFileW(NativePath(folderPath + note).c_str());
            return nullptr;
        }
        error.clear();
        return std::make_unique<Win32Aside>(std::move(file), std::move(folderPath), name, std::move(hidden), before);
    }

    std::unique_ptr<AsideFile> AdoptAside(FolderHandle& folder, const std::string& privateName, const std::string& name,
                                          std::error_code& error) override {
        FileStatus now;
        UniqueHandle file = OpenToMove(folder, privateName, now, error);
        if (error)
            return nullptr;
        return std::make_unique<Win32Aside>(std::move(file), Inside(folder, ""), name, privateName, now);
    }

    std::error_code LinkIn(FolderHandle& folder, const std::string& name, const std::string& targetPath) override {
        if (::CreateHardLinkW(NativePath(Inside(folder, name)).c_str(), NativePath(targetPath).c_str(), nullptr))
            return {};
        const DWORD code = ::GetLastError();
        if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
            return std::make_error_code(std::errc::file_exists);
        if (code == ERROR_NOT_SAME_DEVICE)
            return std::make_error_code(std::errc::cross_device_link);
        if (code == ERROR_INVALID_FUNCTION || code == ERROR_NOT_SUPPORTED)
            return std::make_error_code(std::errc::not_supported);  // FAT, exFAT, many shares
        return ErrorFrom(code);
    }

    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override {
        // Others may read the file meanwhile, but not change or remove it.
        UniqueHandle file(::CreateFileW(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file.IsValid()) {
            error = LastError();
            return nullptr;
        }
        error.clear();
        return std::make_unique<Win32File>(std::move(file));
    }

private:
    static bool ListedAsLink(const std::string& path) {
        WIN32_FIND_DATAW data{};
        UniqueFind find(
            ::FindFirstFileExW(NativePath(path).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
        return find.IsValid() && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
               KindOfEntry(data.dwFileAttributes, data.dwReserved0) == EntryKind::Other;
    }

    static std::unique_ptr<FolderHandle> Opened(const std::string& path, UniqueHandle handle,
                                                const FileIdentity& expected, std::error_code& error) {
        if (!handle.IsValid()) {
            error = LastError();
            return nullptr;
        }
        const FileStatus status = StatusOf(handle.Get());
        if (status.error) {
            error = status.error;
            return nullptr;
        }
        if (status.kind == EntryKind::Other) {  // a link or junction, opened itself
            error = make_error_code(FsError::IsLink);
            return nullptr;
        }
        if (status.kind != EntryKind::Folder) {
            error = std::make_error_code(std::errc::not_a_directory);
            return nullptr;
        }
        if (!status.identity.Matches(expected)) {
            error = make_error_code(FsError::Replaced);
            return nullptr;
        }
        error.clear();
        return std::make_unique<Win32Folder>(path, status.identity, std::move(handle));
    }

    // Reads the entries in the order the file system gives them, from the first on however often
    // the folder was read through this handle. Each comes with its file id, so a file's identity
    // costs no open of its own (that took milliseconds per file). Gives between() a turn after
    // each read of a few hundred entries.
    static std::error_code ReadEntries(HANDLE folder, DWORD volume, std::vector<DirEntry>& entries,
                                       const std::function<void()>& between) {
        std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));  // entries are 8-aligned
        const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
        for (FILE_INFO_BY_HANDLE_CLASS read = FileIdBothDirectoryRestartInfo;
             ::GetFileInformationByHandleEx(folder, read, buffer.data(), bytes); read = FileIdBothDirectoryInfo) {
            const auto* base = reinterpret_cast<const BYTE*>(buffer.data());
            for (DWORD offset = 0;;) {
                const auto* item = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(base + offset);
                Add(entries, *item, volume);
                if (item->NextEntryOffset == 0)
                    break;
                offset += item->NextEntryOffset;
            }
            if (between)
                between();
        }
        // An empty drive root has not even "." to give: the first read finds no file at all.
        const DWORD code = ::GetLastError();
        const bool end = code == ERROR_NO_MORE_FILES || (code == ERROR_FILE_NOT_FOUND && entries.empty());
        return end ? std::error_code{} : ErrorFrom(code);
    }

    static void Add(std::vector<DirEntry>& entries, const FILE_ID_BOTH_DIR_INFO& item, DWORD volume) {
        const std::wstring_view wideName(item.FileName, item.FileNameLength / sizeof(wchar_t));
        if (wideName == L"." || wideName == L"..")
            return;
        DirEntry entry;
        entry.name = Narrow(wideName);
        // For a reparse point the field of the extended attributes' size holds the reparse tag.
        const DWORD tag = (item.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? item.EaSize : 0;
        entry.kind = KindOfEntry(item.FileAttributes, tag);
        if (entry.kind == EntryKind::File)
            entry.size = static_cast<std::uint64_t>(item.EndOfFile.QuadPart);
        if (entry.kind != EntryKind::Other && item.FileId.QuadPart != 0)
            entry.identity = {volume, static_cast<std::uint64_t>(item.FileId.QuadPart)};
        entries.push_back(std::move(entry));
    }

    // File systems without file ids (FAT, exFAT, some network shares) list 0 for every file;
    // there each file is asked on its own, as Stat does, so both give the same identity.
    // Volumes without file ids (FAT): each file is opened for its identity, with a turn for
    // between() every few hundred files.
    static void FillMissingIdentities(const std::string& folder, std::vector<DirEntry>& entries,
                                      const std::function<void()>& between) {
        const std::string prefix = folder.back() == '\\' ? folder : folder + '\\';
        std::size_t opened = 0;
        for (DirEntry& entry : entries) {
            if (entry.kind != EntryKind::File || entry.identity.Known())
                continue;
            if (++opened % 256 == 0 && between)
                between();
            UniqueHandle file = OpenForQuery(NativePath(prefix + entry.name));
            BY_HANDLE_FILE_INFORMATION info{};
            if (file.IsValid() && ::GetFileInformationByHandle(file.Get(), &info))
                entry.identity = IdentityOf(info);
        }
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace zwf
