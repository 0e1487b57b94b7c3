#include <windows.h>
#include <winioctl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "catalogue/ScanFolder.h"
#include "platform/FileSystem.h"
#include "platform/win32/EntryKinds.h"
#include "platform/win32/Utf16.h"
#include "tests/support/TempTree.h"

namespace zwf {
namespace {

using test::TempTree;
using win32::Widen;

const DirEntry* Find(const FolderListing& listing, std::string_view name) {
    auto it = std::find_if(listing.entries.begin(), listing.entries.end(),
                           [&](const DirEntry& entry) { return entry.name == name; });
    return it == listing.entries.end() ? nullptr : &*it;
}

std::string ReadAll(FileSystem& fs, const std::string& path) {
    std::error_code error;
    auto file = fs.OpenRead(path, error);
    if (!file)
        return "<" + error.message() + ">";
    std::string text;
    std::array<std::byte, 7> buffer{};  // small, so a read never gets the whole file at once
    while (std::size_t got = file->Read(buffer, error))
        text.append(reinterpret_cast<const char*>(buffer.data()), got);
    return text;
}

// The \\?\ form makes and removes folders the classic calls cannot reach.
std::wstring Long(const std::string& path) { return L"\\\\?\\" + Widen(path); }

TEST(Win32FileSystem, SeparatorAndRoots) {
    auto fs = MakeNativeFileSystem();
    EXPECT_EQ(fs->Separator(), '\\');
    for (std::string_view root : {"C:", "C:\\", "z:", "\\\\server\\share", "\\\\server\\share\\"})
        EXPECT_TRUE(fs->IsRoot(root)) << root;
    for (std::string_view other : {"", "C", "C:\\Daten", "C:\\Daten\\", "\\\\server", "\\\\server\\",
                                   "\\\\server\\share\\x", "1:\\", "\\"})
        EXPECT_FALSE(fs->IsRoot(other)) << other;
}

TEST(Win32FileSystem, ListsFilesAndFoldersWithKindAndSizeButNotDotEntries) {
    TempTree tree{{"a.txt", "hello"}, {"leer.bin", ""}, {"Sub/b.txt", "x"}};
    auto fs = MakeNativeFileSystem();
    FolderListing listing = fs->ListFolder(tree.Path());
    ASSERT_FALSE(listing.error) << listing.error.message();
    ASSERT_EQ(listing.entries.size(), 3u);
    EXPECT_EQ(Find(listing, "."), nullptr);
    EXPECT_EQ(Find(listing, ".."), nullptr);
    ASSERT_NE(Find(listing, "a.txt"), nullptr);
    EXPECT_EQ(Find(listing, "a.txt")->kind, EntryKind::File);
    EXPECT_EQ(Find(listing, "a.txt")->size, 5u);
    EXPECT_EQ(Find(listing, "leer.bin")->size, 0u);
    EXPECT_EQ(Find(listing, "Sub")->kind, EntryKind::Folder);
    tree.MakeFolder("Leer");
    FolderListing empty = fs->ListFolder(tree.Path("Leer"));
    EXPECT_FALSE(empty.error);
    EXPECT_TRUE(empty.entries.empty());
}

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

TEST(Win32FileSystem, MissingFolderOrAFileIsAnErrorNotAnEmptyListing) {
    TempTree tree{{"a.txt", "hello"}};
    auto fs = MakeNativeFileSystem();
    EXPECT_EQ(fs->ListFolder(tree.Path("fehlt")).error, std::errc::no_such_file_or_directory);
    EXPECT_TRUE(fs->ListFolder(tree.Path("a.txt")).error);
    EXPECT_TRUE(fs->ListFolder("").error);
}

TEST(Win32FileSystem, DriveRootInCatalogueFormListsTheRoot) {
    TempTree tree;
    const std::string path = tree.Path();  // e.g. C:\users\...\Temp\zwf-test-...
    ASSERT_GE(path.size(), 4u);
    ASSERT_EQ(path[1], ':');
    const std::string drive = path.substr(0, 2);
    const std::string top = path.substr(3, path.find('\\', 3) - 3);
    auto fs = MakeNativeFileSystem();
    FolderListing listing = fs->ListFolder(drive);
    ASSERT_FALSE(listing.error) << listing.error.message();
    ASSERT_NE(Find(listing, top), nullptr) << drive << " lacks " << top;
    EXPECT_EQ(Find(listing, top)->kind, EntryKind::Folder);
    EXPECT_EQ(fs->ListFolder(drive + "\\").entries.size(), listing.entries.size());
}

TEST(Win32FileSystem, SizeAbove4GiBIsNotTruncated) {
    TempTree tree;
    tree.WriteSparse("gross.bin", 4294967306ull, "ende");
    auto fs = MakeNativeFileSystem();
    FolderListing listing = fs->ListFolder(tree.Path());
    ASSERT_NE(Find(listing, "gross.bin"), nullptr);
    EXPECT_EQ(Find(listing, "gross.bin")->size, 4294967306ull);
    EXPECT_EQ(fs->Stat(tree.Path("gross.bin")).size, 4294967306ull);
}

TEST(Win32FileSystem, UnicodeNamesAreUtf8AndUsableForEveryCall) {
    const std::string name = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80.txt";
    const std::string folder = "\xC3\x84rger";
    TempTree tree;
    tree.Write(folder + "/" + name, "inhalt");
    auto fs = MakeNativeFileSystem();
    FolderListing top = fs->ListFolder(tree.Path());
    ASSERT_NE(Find(top, folder), nullptr);
    FolderListing inner = fs->ListFolder(tree.Path(folder));
    ASSERT_NE(Find(inner, name), nullptr);
    const std::string path = tree.Path(folder) + "\\" + name;
    EXPECT_EQ(fs->Stat(path).size, 6u);
    EXPECT_EQ(ReadAll(*fs, path), "inhalt");
    EXPECT_FALSE(fs->Delete(path));
    EXPECT_FALSE(tree.Exists(folder + "/" + name));
}

TEST(Win32FileSystem, IdentityTellsOneFileFromTwo) {
    TempTree tree{{"a.txt", "same"}, {"b.txt", "same"}};
    ASSERT_TRUE(::CreateHardLinkW(Widen(tree.Path("link.txt")).c_str(), Widen(tree.Path("a.txt")).c_str(), nullptr));
    auto fs = MakeNativeFileSystem();
    FolderListing listing = fs->ListFolder(tree.Path());
    const DirEntry* a = Find(listing, "a.txt");
    const DirEntry* b = Find(listing, "b.txt");
    const DirEntry* link = Find(listing, "link.txt");
    ASSERT_TRUE(a && b && link);
    EXPECT_TRUE(a->identity.Known());
    EXPECT_EQ(a->identity, link->identity);
    EXPECT_NE(a->identity, b->identity);
    // The check before a delete compares Stat's identity with the catalogued one.
    EXPECT_EQ(fs->Stat(tree.Path("a.txt")).identity, a->identity);
    EXPECT_EQ(fs->Stat(tree.Path("b.txt")).identity, b->identity);
}

TEST(Win32FileSystem, StatTellsKindsAndMissingNames) {
    TempTree tree{{"a.txt", "abc"}, {"Sub/x", ""}};
    auto fs = MakeNativeFileSystem();
    FileStatus file = fs->Stat(tree.Path("a.txt"));
    EXPECT_FALSE(file.error);
    EXPECT_EQ(file.kind, EntryKind::File);
    EXPECT_EQ(file.size, 3u);
    EXPECT_EQ(fs->Stat(tree.Path("Sub")).kind, EntryKind::Folder);
    EXPECT_EQ(fs->Stat(tree.Path("fehlt.txt")).error, std::errc::no_such_file_or_directory);
}

TEST(Win32FileSystem, PathsBeyondTheClassicLimitWork) {
    TempTree tree;
    std::string folder = tree.Path();
    const std::string segment(60, 'o');
    while (folder.size() < 400) {
        folder += "\\" + segment;
        ASSERT_TRUE(::CreateDirectoryW(Long(folder).c_str(), nullptr)) << ::GetLastError();
    }
    const std::string file = folder + "\\tief.txt";
    {
        HANDLE out = ::CreateFileW(Long(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(out, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(out, "tief", 4, &written, nullptr);
        ::CloseHandle(out);
    }
    auto fs = MakeNativeFileSystem();
    FolderListing listing = fs->ListFolder(folder);
    ASSERT_FALSE(listing.error) << listing.error.message();
    ASSERT_NE(Find(listing, "tief.txt"), nullptr);
    EXPECT_TRUE(Find(listing, "tief.txt")->identity.Known());
    EXPECT_EQ(fs->Stat(file).size, 4u);
    EXPECT_EQ(ReadAll(*fs, file), "tief");
    EXPECT_FALSE(fs->Delete(file));
    EXPECT_EQ(fs->Stat(file).error, std::errc::no_such_file_or_directory);
    // TempTree's removal uses the classic calls; take the deep chain apart from below.
    while (folder.size() > tree.Path().size()) {
        ::RemoveDirectoryW(Long(folder).c_str());
        folder.resize(folder.rfind('\\'));
    }
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

TEST(Win32FileSystem, SeekMovesTheReadPositionBeyond4GiB) {
    TempTree tree;
    tree.WriteSparse("gross.bin", 4294967306ull, "ende");
    auto fs = MakeNativeFileSystem();
    std::error_code error;
    auto file = fs->OpenRead(tree.Path("gross.bin"), error);
    ASSERT_TRUE(file) << error.message();
    ASSERT_TRUE(file->Seek(4294967306ull - 4));
    std::array<std::byte, 16> buffer{};
    ASSERT_EQ(file->Read(buffer, error), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), 4), "ende");
    EXPECT_EQ(file->Read(buffer, error), 0u);
    EXPECT_FALSE(error);
    ASSERT_TRUE(file->Seek(0));
    ASSERT_EQ(file->Read(buffer, error), 16u);
    EXPECT_EQ(buffer[0], std::byte{0});
}

TEST(Win32FileSystem, OpenReadNeverCreatesAndRefusesFolders) {
    TempTree tree{{"Sub/x", ""}};
    auto fs = MakeNativeFileSystem();
    std::error_code error;
    EXPECT_FALSE(fs->OpenRead(tree.Path("neu.txt"), error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(tree.Exists("neu.txt"));
    EXPECT_FALSE(fs->OpenRead(tree.Path("Sub"), error));
    EXPECT_TRUE(error);
}

TEST(Win32FileSystem, DeleteRemovesTheFileAndReportsOneAlreadyGone) {
    TempTree tree{{"a.txt", "abc"}, {"b.txt", "abc"}};
    auto fs = MakeNativeFileSystem();
    EXPECT_FALSE(fs->Delete(tree.Path("a.txt")));
    EXPECT_FALSE(tree.Exists("a.txt"));
    EXPECT_TRUE(tree.Exists("b.txt"));
    EXPECT_EQ(fs->Delete(tree.Path("a.txt")), std::errc::no_such_file_or_directory);
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

// A tree the test script made on the Unix side: Ziel/a.txt, datei.txt, and the symbolic links
// Verweis -> Ziel and dateilink.txt -> datei.txt, as a Wine user's folders hold them.
TEST(Win32FileSystem, UnixLinksUnderWineAreNeitherCataloguedNorEntered) {
    const char* given = std::getenv("ZWF_UNIX_LINK_TREE");
    if (!given)
        GTEST_SKIP() << "no tree with Unix links given (ZWF_UNIX_LINK_TREE)";
    auto fs = MakeNativeFileSystem();
    Catalogue catalogue(fs->Separator());
    ScanReport report = ScanFolder(catalogue, *fs, given);
    std::vector<std::string> names;
    for (const FileEntry& entry : catalogue.allFiles)
        names.push_back(catalogue.FullPath(entry).substr(std::string(given).size()));
    EXPECT_THAT(names, ::testing::IsSubsetOf({"\\Ziel\\a.txt", "\\datei.txt", "\\dateilink.txt"}));
    EXPECT_THAT(names, ::testing::Contains("\\Ziel\\a.txt"));
    EXPECT_EQ(report.foldersSkipped, 0u);
    std::error_code error;
    auto root = fs->OpenFolder(given, error);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(fs->OpenSubfolder(*root, "Verweis", {}, error), nullptr);
    EXPECT_EQ(error, make_error_code(FsError::IsLink));
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

bool IsReparsePoint(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST(Win32FileSystem, LinksAndJunctionsAreNeitherCataloguedNorEntered) {
    TempTree tree{{"Ziel/a.txt", "abc"}, {"datei.txt", "abc"}};
    std::vector<std::string> links;
    if (::CreateSymbolicLinkW(Widen(tree.Path("Verweis")).c_str(), Widen(tree.Path("Ziel")).c_str(),
                              SYMBOLIC_LINK_FLAG_DIRECTORY) && IsReparsePoint(tree.Path("Verweis")))
        links.push_back("Verweis");
    if (::CreateSymbolicLinkW(Widen(tree.Path("dateilink.txt")).c_str(), Widen(tree.Path("datei.txt")).c_str(), 0) &&
        IsReparsePoint(tree.Path("dateilink.txt")))
        links.push_back("dateilink.txt");
    if (MakeJunction(tree.Path("Sprung"), tree.Path("Ziel")) && IsReparsePoint(tree.Path("Sprung")))
        links.push_back("Sprung");
    if (links.empty())
        GTEST_SKIP() << "this system makes neither symbolic links nor junctions here";
    auto fs = MakeNativeFileSystem();
    FolderListing listing = fs->ListFolder(tree.Path());
    for (const std::string& name : links) {
        SCOPED_TRACE(name);
        ASSERT_NE(Find(listing, name), nullptr);
        EXPECT_EQ(Find(listing, name)->kind, EntryKind::Other);
        EXPECT_EQ(fs->Stat(tree.Path(name)).kind, EntryKind::Other);
    }
    for (const std::string& name : links)
        if (name != "dateilink.txt")
            ::RemoveDirectoryW(Widen(tree.Path(name)).c_str());  // the link, never what it leads to
}

}  // namespace
}  // namespace zwf
