// https://learn.microsoft.com/windows/win32/fileio/listing-the-files-in-a-directory
#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/FileSystem.h"
#include "platform/win32/EntryKinds.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Utf16.h"

namespace zwf {

namespace {

using win32::KindOfEntry;
using win32::Narrow;
using win32::UniqueHandle;
using win32::Widen;

// The errors callers act on are reported in the portable category; the rest keep their code.
std::error_code ErrorFrom(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
        return std::make_error_code(std::errc::permission_denied);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return std::make_error_code(std::errc::device_or_resource_busy);
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return std::make_error_code(std::errc::invalid_argument);
    default:
        return {static_cast<int>(code), std::system_category()};
    }
}

std::error_code LastError() { return ErrorFrom(::GetLastError()); }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A path the wide API accepts whatever its length: beyond the classic limit of MAX_PATH
// characters the \\?\ form lifts it (it takes the path literally, as the catalogue has it).
std::wstring NativePath(std::string_view path) {
    std::wstring wide = Widen(path);
    constexpr std::size_t kClassicLimit = MAX_PATH - 1;
    if (wide.size() < kClassicLimit || wide.starts_with(L"\\\\?\\"))
        return wide;
    if (wide.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + wide.substr(2);
    if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\')
        return L"\\\\?\\" + wide;
    return wide;  // a relative text cannot take the long form; the call reports what it makes of it
}

std::uint64_t Combine(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// Opens a name for examination only: no read access is asked, so no sharing mode held by
// others stands in the way, and a final link is opened itself rather than followed.
UniqueHandle OpenForQuery(const std::wstring& path) {
    return UniqueHandle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, Combine(info.nFileIndexHigh, info.nFileIndexLow)};
}

class Win32File final : public ReadableFile {
public:
    explicit Win32File(UniqueHandle file) : m_file(std::move(file)) {}
    std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
        constexpr std::size_t kMostPerCall = 1u << 30;
        const DWORD wanted = static_cast<DWORD>(std::min(buffer.size(), kMostPerCall));
        DWORD got = 0;
        if (!::ReadFile(m_file.Get(), buffer.data(), wanted, &got, nullptr)) {
            error = LastError();
            return 0;
        }
        return got;
    }

private:
    UniqueHandle m_file;
};

class Win32FileSystem final : public FileSystem {
public:
    char Separator() const override { return '\\'; }

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

    FolderListing ListFolder(const std::string& folder) override {
        FolderListing listing;
        if (folder.empty()) {
            listing.error = std::make_error_code(std::errc::no_such_file_or_directory);
            return listing;
        }
        UniqueHandle handle = OpenFolder(folder);
        BY_HANDLE_FILE_INFORMATION info{};
        if (!handle.IsValid() || !::GetFileInformationByHandle(handle.Get(), &info)) {
            listing.error = LastError();
            return listing;
        }
        if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            listing.error = std::make_error_code(std::errc::not_a_directory);
            return listing;
        }
        listing.error = ReadEntries(handle.Get(), info.dwVolumeSerialNumber, listing.entries);
        if (listing.error)
            listing.entries.clear();
        return listing;
    }

    FileStatus Stat(const std::string& path) override {
        FileStatus status;
        UniqueHandle file = OpenForQuery(NativePath(path));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!file.IsValid() || !::GetFileInformationByHandle(file.Get(), &info)) {
            status.error = LastError();
            return status;
        }
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            ::GetFileInformationByHandleEx(file.Get(), FileAttributeTagInfo, &tag, sizeof tag);
        status.kind = KindOfEntry(info.dwFileAttributes, tag.ReparseTag);
        if (status.kind == EntryKind::File)
            status.size = Combine(info.nFileSizeHigh, info.nFileSizeLow);
        status.identity = IdentityOf(info);
        return status;
    }

    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override {
        // Others may read the file meanwhile, but not change or remove it.
        UniqueHandle file(::CreateFileW(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                        nullptr));
        if (!file.IsValid()) {
            error = LastError();
            return nullptr;
        }
        error.clear();
        return std::make_unique<Win32File>(std::move(file));
    }

    std::error_code Delete(const std::string& path) override {
        if (::DeleteFileW(NativePath(path).c_str()))
            return {};
        return LastError();
    }

private:
    // The folder itself, opened for listing; "C:" is the drive's root, not its current folder.
    static UniqueHandle OpenFolder(const std::string& folder) {
        const bool bareDrive = folder.size() == 2 && folder[1] == ':';
        return UniqueHandle(::CreateFileW(NativePath(bareDrive ? folder + '\\' : folder).c_str(),
                                          FILE_LIST_DIRECTORY,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    }

    // Reads the entries in the order the file system gives them. Each comes with its file id,
    // so a file's identity costs no open of its own (that took milliseconds per file).
    static std::error_code ReadEntries(HANDLE folder, DWORD volume, std::vector<DirEntry>& entries) {
        std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));  // entries are 8-aligned
        const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
        while (::GetFileInformationByHandleEx(folder, FileIdBothDirectoryInfo, buffer.data(), bytes)) {
            const auto* base = reinterpret_cast<const BYTE*>(buffer.data());
            for (DWORD offset = 0;;) {
                const auto* item = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(base + offset);
                Add(entries, *item, volume);
                if (item->NextEntryOffset == 0)
                    break;
                offset += item->NextEntryOffset;
            }
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
        if (entry.kind == EntryKind::File) {
            entry.size = static_cast<std::uint64_t>(item.EndOfFile.QuadPart);
            entry.identity = {volume, static_cast<std::uint64_t>(item.FileId.QuadPart)};
        }
        entries.push_back(std::move(entry));
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace zwf
