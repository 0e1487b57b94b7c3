#include <windows.h>
#include <winioctl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/win32/EntryKinds.h"
#include "platform/win32/Utf16.h"
#include "tests/support/FileSystemContract.h"

namespace zwf::test {
namespace {

using win32::Widen;

// The \\?\ form makes and removes folders the classic calls cannot reach.
std::wstring Long(const std::string& path) { return L"\\\\?\\" + Widen(path); }

bool IsReparsePoint(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Folders below the tree named by 60 letters each, until the path is beyond MAX_PATH.
std::vector<std::string> DeepFolders(const TempTree& tree) {
    std::vector<std::string> folders{tree.Path()};
    while (folders.back().size() < 400)
        folders.push_back(folders.back() + "\\" + std::string(60, 'o'));
    folders.erase(folders.begin());
    return folders;
}

struct Win32 {
    static constexpr char kSeparator = '\\';
    // A link's target is opened; Status then tells that file.
    static constexpr bool kRefusesALinkToOpenRead = false;
    static std::vector<std::string> Roots() {
        return {"C:", "C:\\", "z:", "\\\\server\\share", "\\\\server\\share\\"};
    }
    static std::vector<std::string> NotRoots() {
        return {"", "C", "C:\\Daten", "C:\\Daten\\", "\\\\server", "\\\\server\\", "\\\\server\\share\\x", "1:\\", "\\"};
    }
    static std::string RootOf(const std::string& path) { return path.substr(0, 2); }

    // Symbolic links where this system makes them (Windows in developer mode); under Wine the
    // test script makes a tree with Unix links, as a Wine user's folders hold them.
    static std::string LinkTree(const TempTree& scratch, std::string& whyNot) {
        scratch.Write("Ziel/a.txt", "abc");
        scratch.Write("datei.txt", "abc");
        if (::CreateSymbolicLinkW(Widen(scratch.Path("Verweis")).c_str(), Widen(scratch.Path("Ziel")).c_str(),
                                  SYMBOLIC_LINK_FLAG_DIRECTORY) &&
            ::CreateSymbolicLinkW(Widen(scratch.Path("dateilink.txt")).c_str(),
                                  Widen(scratch.Path("datei.txt")).c_str(), 0) &&
            IsReparsePoint(scratch.Path("Verweis")) && IsReparsePoint(scratch.Path("dateilink.txt")))
            return scratch.Path();
        if (const char* given = std::getenv("ZWF_UNIX_LINK_TREE"))
            return given;
        whyNot = "this system makes none here, and no tree with Unix links was given (ZWF_UNIX_LINK_TREE)";
        return "";
    }
    // Wine marks a Unix link to a folder as a reparse point in listings, but not one to a file,
    // and opens what a link leads to even when asked for the link itself.
    static bool SeesEveryLink(const std::string& linkTree) {
        const char* unixLinks = std::getenv("ZWF_UNIX_LINK_TREE");
        return !unixLinks || linkTree != unixLinks;
    }

    static std::string MakeDeepFile(const TempTree& tree, std::string_view contents) {
        const std::vector<std::string> folders = DeepFolders(tree);
        for (const std::string& folder : folders)
            if (!::CreateDirectoryW(Long(folder).c_str(), nullptr))
                return "";
        const std::string file = folders.back() + "\\tief.txt";
        HANDLE out = ::CreateFileW(Long(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE)
            return "";
        DWORD written = 0;
        ::WriteFile(out, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
        ::CloseHandle(out);
        return written == contents.size() ? file : "";
    }
    // TempTree's removal uses the classic calls; the deep chain is taken apart from below.
    static void RemoveDeepFolders(const TempTree& tree) {
        const std::vector<std::string> folders = DeepFolders(tree);
        ::DeleteFileW(Long(folders.back() + "\\tief.txt").c_str());
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
            ::RemoveDirectoryW(Long(*folder).c_str());
    }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, FileSystemContract, ::testing::Types<Win32>);

// What only the Win32 file system has to say.
namespace {

TEST(Win32FileSystem, HiddenAndReadOnlyFilesAreOrdinaryFiles) {
    TempTree tree{{"versteckt.txt", "h"}, {"fest.txt", "r"}};
    ASSERT_TRUE(::SetFileAttributesW(Widen(tree.Path("versteckt.txt")).c_str(),
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(::SetFileAttributesW(Widen(tree.Path("fest.txt")).c_str(), FILE_ATTRIBUTE_READONLY));
    auto fs = MakeNativeFileSystem();
    FolderListing listing = fs->ListFolder(tree.Path());
    ASSERT_NE(Find(listing, "versteckt.txt"), nullptr);
    EXPECT_EQ(Find(listing, "versteckt.txt")->kind, EntryKind::File);
    EXPECT_EQ(Find(listing, "fest.txt")->kind, EntryKind::File);
    ::SetFileAttributesW(Widen(tree.Path("fest.txt")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// "" is the POSIX root's catalogue form; here it names nothing.
TEST(Win32FileSystem, AnEmptyFolderTextIsNoFolder) {
    auto fs = MakeNativeFileSystem();
    EXPECT_EQ(fs->ListFolder("").error, std::errc::no_such_file_or_directory);
}

bool WriteLiterally(const std::string& path, std::string_view contents) {
    HANDLE out = ::CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    ::WriteFile(out, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    ::CloseHandle(out);
    return written == contents.size();
}

// The classic path rules drop a trailing dot or space, which would turn "x." into "x": then
// the wrong file would be read or deleted. Such names come from other systems' disks.
TEST(Win32FileSystem, NamesEndingInDotOrSpaceAreTheirOwnFiles) {
    TempTree tree{{"x", "ohne"}};
    if (!WriteLiterally(tree.Path("x."), "punkt") || !WriteLiterally(tree.Path("x "), "leer!!"))
        GTEST_SKIP() << "this file system takes no such names";
    auto fs = MakeNativeFileSystem();
    FolderListing listing = fs->ListFolder(tree.Path());
    ASSERT_NE(Find(listing, "x."), nullptr);
    ASSERT_NE(Find(listing, "x "), nullptr);
    EXPECT_EQ(fs->Stat(tree.Path("x.")).size, 5u);
    EXPECT_EQ(fs->Stat(tree.Path("x ")).size, 6u);
    EXPECT_NE(fs->Stat(tree.Path("x.")).identity, fs->Stat(tree.Path("x")).identity);
    EXPECT_EQ(ReadAll(*fs, tree.Path("x.")), "punkt");
    EXPECT_FALSE(fs->Delete(tree.Path("x.")));
    EXPECT_FALSE(fs->Delete(tree.Path("x ")));
    EXPECT_EQ(ReadAll(*fs, tree.Path("x")), "ohne");
    EXPECT_EQ(fs->ListFolder(tree.Path()).entries.size(), 1u);
}

TEST(Win32FileSystem, ReadingSharesOnlyWithReaders) {
    TempTree tree{{"a.txt", "abc"}};
    auto fs = MakeNativeFileSystem();
    std::error_code error;
    auto reader = fs->OpenRead(tree.Path("a.txt"), error);
    ASSERT_TRUE(reader) << error.message();
    auto second = fs->OpenRead(tree.Path("a.txt"), error);
    EXPECT_TRUE(second) << "a second reader is welcome";
    HANDLE writer = ::CreateFileW(Widen(tree.Path("a.txt")).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "no writer while we read";
    if (writer != INVALID_HANDLE_VALUE)
        ::CloseHandle(writer);
    EXPECT_TRUE(fs->Delete(tree.Path("a.txt"))) << "no delete while we read";
    EXPECT_TRUE(tree.Exists("a.txt"));
}

// Wine makes no reparse points, so the rule itself is checked here as well.
TEST(Win32FileSystem, OnlyNameSurrogateReparsePointsAreLinks) {
    using win32::KindOfEntry;
    constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY, kReparse = FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_EQ(KindOfEntry(kFolder | kReparse, IO_REPARSE_TAG_MOUNT_POINT), EntryKind::Other);
    EXPECT_EQ(KindOfEntry(kFolder | kReparse, IO_REPARSE_TAG_SYMLINK), EntryKind::Other);
    EXPECT_EQ(KindOfEntry(kReparse, IO_REPARSE_TAG_SYMLINK), EntryKind::Other);
    EXPECT_EQ(KindOfEntry(kReparse | FILE_ATTRIBUTE_ARCHIVE, IO_REPARSE_TAG_DEDUP), EntryKind::File);
    EXPECT_EQ(KindOfEntry(kFolder | kReparse, IO_REPARSE_TAG_CLOUD_1), EntryKind::Folder);
    EXPECT_EQ(KindOfEntry(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0), EntryKind::File);
    EXPECT_EQ(KindOfEntry(kFolder | FILE_ATTRIBUTE_HIDDEN, IO_REPARSE_TAG_SYMLINK), EntryKind::Folder);
    // No reparse point carries the tag 0; Wine lists Unix links so.
    EXPECT_EQ(KindOfEntry(kFolder | kReparse, 0), EntryKind::Other);
    EXPECT_EQ(KindOfEntry(kReparse, 0), EntryKind::Other);
}

// Makes folder `link` a junction (a mount-point reparse point) to `target`.
bool MakeJunction(const std::string& link, const std::string& target) {
    if (!::CreateDirectoryW(Widen(link).c_str(), nullptr))
        return false;
    HANDLE folder = ::CreateFileW(Widen(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring substitute = L"\\??\\" + Widen(target);
    const USHORT bytes = static_cast<USHORT>(substitute.size() * sizeof(wchar_t));
    // The mount-point layout of REPARSE_DATA_BUFFER: header, four offsets, two NUL-ended names.
    std::vector<BYTE> buffer(8 + 8 + bytes + 2 + 2);
    auto put16 = [&](std::size_t at, USHORT value) { std::memcpy(&buffer[at], &value, 2); };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(&buffer[0], &tag, 4);
    put16(4, static_cast<USHORT>(buffer.size() - 8));
    put16(8, 0);                                    // substitute name offset
    put16(10, bytes);                               // substitute name length
    put16(12, static_cast<USHORT>(bytes + 2));      // print name offset
    put16(14, 0);                                   // print name length
    std::memcpy(&buffer[16], substitute.data(), bytes);
    DWORD returned = 0;
    const bool made = ::DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(),
                                        static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    ::CloseHandle(folder);
    return made;
}

// Symbolic links are the contract's; junctions are Windows' own.
TEST(Win32FileSystem, JunctionsAreNeitherListedAsFoldersNorEntered) {
    TempTree tree{{"Ziel/a.txt", "abc"}};
    if (!MakeJunction(tree.Path("Sprung"), tree.Path("Ziel")) || !IsReparsePoint(tree.Path("Sprung")))
        GTEST_SKIP() << "this system makes no junctions here";
    auto fs = MakeNativeFileSystem();
    std::error_code error;
    auto root = fs->OpenFolder(tree.Path(), error);
    ASSERT_TRUE(root) << error.message();
    const FolderListing listing = fs->List(*root);
    const DirEntry* junction = Find(listing, "Sprung");
    ASSERT_NE(junction, nullptr);
    EXPECT_EQ(junction->kind, EntryKind::Other);
    EXPECT_EQ(fs->StatIn(*root, "Sprung").kind, EntryKind::Other);
    EXPECT_EQ(fs->OpenSubfolder(*root, "Sprung", {}, error), nullptr);
    EXPECT_EQ(error, make_error_code(FsError::IsLink));
    ::RemoveDirectoryW(Widen(tree.Path("Sprung")).c_str());  // the junction, never what it leads to
}

}  // namespace
}  // namespace zwf::test
