// What every FileSystem guarantees (platform/FileSystem.h), checked the same way for each
// implementation. A test program includes this header once and instantiates the suite with its
// platform's hooks:
//
//   struct Platform {
//       static constexpr char kSeparator;
//       static constexpr bool kRefusesALinkToOpenRead;  // false: it opens what the link leads to
//       static std::vector<std::string> Roots();        // folder texts IsRoot accepts
//       static std::vector<std::string> NotRoots();     // and some it must refuse
//       static std::string RootOf(const std::string& path);  // the root holding path, catalogue form
//       // A folder holding Ziel/a.txt and datei.txt ("abc" each) and the symbolic links
//       // Verweis -> Ziel and dateilink.txt -> datei.txt: made in scratch, or one made elsewhere
//       // (the tests only read it). "" and the reason when this system makes no links here.
//       static std::string LinkTree(const TempTree& scratch, std::string& whyNot);
//       // False where links are seen only in part (Unix links under Wine, see FileSystem.h).
//       static bool SeesEveryLink(const std::string& linkTree);
//       // Makes folder/.../tief.txt holding contents below tree, with a full path longer than the
//       // system's calls take in one piece; returns the path. RemoveDeepFolders takes them away.
//       static std::string MakeDeepFile(const TempTree& tree, std::string_view contents);
//       static void RemoveDeepFolders(const TempTree& tree);
//   };
//   INSTANTIATE_TYPED_TEST_SUITE_P(Posix, FileSystemContract, ::testing::Types<Platform>);
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AsideNames.h"
#include "platform/FileSystem.h"
#include "tests/support/TempTree.h"

namespace zwf::test {

inline const DirEntry* Find(const FolderListing& listing, std::string_view name) {
    auto it = std::find_if(listing.entries.begin(), listing.entries.end(),
                           [&](const DirEntry& entry) { return entry.name == name; });
    return it == listing.entries.end() ? nullptr : &*it;
}

// Everything a file holds, read a few bytes at a time so no read gets the whole file at once;
// "<reason>" when it cannot be opened or read.
inline std::string ReadAll(ReadableFile& file) {
    std::string text;
    std::array<std::byte, 7> buffer{};
    std::error_code error;
    while (std::size_t got = file.Read(buffer, error))
        text.append(reinterpret_cast<const char*>(buffer.data()), got);
    return error ? "<" + error.message() + ">" : text;
}

inline std::string ReadAll(FileSystem& fs, const std::string& path) {
    std::error_code error;
    auto file = fs.OpenRead(path, error);
    return file ? ReadAll(*file) : "<" + error.message() + ">";
}

template <class Platform>
class FileSystemContract : public ::testing::Test {
protected:
    std::unique_ptr<FileSystem> native = MakeNativeFileSystem();

    std::string Inside(const std::string& folder, std::string_view name) const {
        return folder + native->Separator() + std::string(name);
    }
};

// The link tree in variable, or the test skipped where this system makes no links (GTEST_SKIP
// works only in the test body itself).
#define ZWF_LINK_TREE_OR_SKIP(variable, scratch)                        \
    std::string variable;                                               \
    {                                                                   \
        std::string whyNot;                                             \
        variable = TypeParam::LinkTree(scratch, whyNot);                \
        if (variable.empty())                                           \
            GTEST_SKIP() << "no symbolic links here: " << whyNot;       \
    }

TYPED_TEST_SUITE_P(FileSystemContract);

TYPED_TEST_P(FileSystemContract, KnowsItsSeparatorAndItsRoots) {
    FileSystem& fs = *this->native;
    EXPECT_EQ(fs.Separator(), TypeParam::kSeparator);
    for (const std::string& root : TypeParam::Roots())
        EXPECT_TRUE(fs.IsRoot(root)) << root;
    for (const std::string& other : TypeParam::NotRoots())
        EXPECT_FALSE(fs.IsRoot(other)) << other;
}

TYPED_TEST_P(FileSystemContract, ListsKindSizeAndIdentityOfEachEntryButNoDotEntries) {
    TempTree tree{{"a.txt", "hello"}, {"leer.bin", ""}, {"Sub/b.txt", "x"}};
    tree.MakeFolder("Leer");
    FileSystem& fs = *this->native;
    FolderListing listing = fs.ListFolder(tree.Path());
    ASSERT_FALSE(listing.error) << listing.error.message();
    ASSERT_EQ(listing.entries.size(), 4u);
    EXPECT_EQ(Find(listing, "."), nullptr);
    EXPECT_EQ(Find(listing, ".."), nullptr);
    struct Expected { std::string_view name; EntryKind kind; std::uint64_t size; };
    for (const Expected& expected : {Expected{"a.txt", EntryKind::File, 5}, Expected{"leer.bin", EntryKind::File, 0},
                                     Expected{"Sub", EntryKind::Folder, 0}, Expected{"Leer", EntryKind::Folder, 0}}) {
        SCOPED_TRACE(expected.name);
        const DirEntry* entry = Find(listing, expected.name);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->kind, expected.kind);
        if (expected.kind == EntryKind::File) {
            EXPECT_EQ(entry->size, expected.size);
        }
        EXPECT_TRUE(entry->identity.Known());
    }
    auto names = [](const FolderListing& listed) {
        std::vector<std::string> result;
        for (const DirEntry& entry : listed.entries)
            result.push_back(entry.name);
        return result;
    };
    EXPECT_EQ(names(fs.ListFolder(tree.Path())), names(listing)) << "an unchanged folder lists alike";
    // More entries than one read of a folder gives, listed twice through one handle: whole and alike.
    for (int k = 0; k < 1500; ++k)
        tree.Write("Sub/" + std::string(60, 'n') + std::to_string(10000 + k), "");
    std::error_code error;
    auto sub = fs.OpenFolder(tree.Path("Sub"), error);
    ASSERT_TRUE(sub) << error.message();
    const std::vector<std::string> first = names(fs.List(*sub)), second = names(fs.List(*sub));
    ASSERT_EQ(first.size(), 1501u);
    EXPECT_EQ(first.front(), "b.txt");
    EXPECT_TRUE(std::ranges::is_sorted(first));
    EXPECT_EQ(second, first);
    FolderListing empty = fs.ListFolder(tree.Path("Leer"));
    EXPECT_FALSE(empty.error);
    EXPECT_TRUE(empty.entries.empty());
}

TYPED_TEST_P(FileSystemContract, AMissingFolderOrAFileIsAnErrorNotAnEmptyListing) {
    TempTree tree{{"a.txt", "hello"}};
    FileSystem& fs = *this->native;
    EXPECT_EQ(fs.ListFolder(tree.Path("fehlt")).error, std::errc::no_such_file_or_directory);
    FolderListing file = fs.ListFolder(tree.Path("a.txt"));
    EXPECT_TRUE(file.error);
    EXPECT_TRUE(file.entries.empty());
    std::error_code error;
    EXPECT_EQ(fs.OpenFolder(tree.Path("fehlt"), error), nullptr);
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

TYPED_TEST_P(FileSystemContract, TheRootInCatalogueFormListsTheRoot) {
    TempTree tree;
    FileSystem& fs = *this->native;
    const std::string root = TypeParam::RootOf(tree.Path());
    const std::string below = tree.Path().substr(root.size() + 1);
    const std::string top = below.substr(0, below.find(fs.Separator()));
    FolderListing listing = fs.ListFolder(root);
    ASSERT_FALSE(listing.error) << listing.error.message();
    ASSERT_NE(Find(listing, top), nullptr) << "'" << root << "' lacks " << top;
    EXPECT_NE(Find(listing, top)->kind, EntryKind::File);
    EXPECT_EQ(fs.ListFolder(root + fs.Separator()).entries.size(), listing.entries.size());
}

// Sizes of 2 GiB and more reach every caller whole, never as their low 32 bits.
TYPED_TEST_P(FileSystemContract, SizesBeyond32BitsAreWholeAndReadableAtTheirEnd) {
    for (const std::uint64_t size : {3'221'225'472ull, 4'294'967'306ull}) {
        SCOPED_TRACE(size);
        TempTree tree;
        try {
            tree.WriteSparse("gross.bin", size, "ende");
        } catch (const std::exception& refused) {
            GTEST_SKIP() << "no sparse files here: " << refused.what();
        }
        FileSystem& fs = *this->native;
        const FolderListing listing = fs.ListFolder(tree.Path());
        const DirEntry* listed = Find(listing, "gross.bin");
        ASSERT_NE(listed, nullptr);
        EXPECT_EQ(listed->size, size);
        EXPECT_EQ(fs.Stat(tree.Path("gross.bin")).size, size);
        std::error_code error;
        auto file = fs.OpenRead(tree.Path("gross.bin"), error);
        ASSERT_TRUE(file) << error.message();
        EXPECT_EQ(file->Status().size, size);
        ASSERT_TRUE(file->Seek(size - 4));
        std::array<std::byte, 16> buffer{};
        ASSERT_EQ(file->Read(buffer, error), 4u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), 4), "ende");
        EXPECT_EQ(file->Read(buffer, error), 0u);
        EXPECT_FALSE(error);
        ASSERT_TRUE(file->Seek(0));
        ASSERT_EQ(file->Read(buffer, error), 16u);
        EXPECT_EQ(buffer[0], std::byte{0});
    }
}

TYPED_TEST_P(FileSystemContract, Utf8NamesWorkForEveryCall) {
    const std::string name = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80.txt";
    const std::string folder = "\xC3\x84rger";
    TempTree tree;
    tree.Write(folder + "/" + name, "inhalt");
    FileSystem& fs = *this->native;
    ASSERT_NE(Find(fs.ListFolder(tree.Path()), folder), nullptr);
    ASSERT_NE(Find(fs.ListFolder(tree.Path(folder)), name), nullptr);
    const std::string path = this->Inside(tree.Path(folder), name);
    EXPECT_EQ(fs.Stat(path).size, 6u);
    EXPECT_EQ(ReadAll(fs, path), "inhalt");
    EXPECT_FALSE(fs.Delete(path));
    EXPECT_FALSE(tree.Exists(folder + "/" + name));
}

// Every way of examining a file gives the same identity, and two names of one file share it.
TYPED_TEST_P(FileSystemContract, IdentityTellsOneFileFromTwo) {
    TempTree tree{{"a.txt", "same"}, {"b.txt", "same"}, {"Sub/x", ""}};
    std::filesystem::create_hard_link(tree.FsPath("a.txt"), tree.FsPath("link.txt"));
    FileSystem& fs = *this->native;
    FolderListing listing = fs.ListFolder(tree.Path());
    const DirEntry* a = Find(listing, "a.txt");
    const DirEntry* b = Find(listing, "b.txt");
    const DirEntry* link = Find(listing, "link.txt");
    const DirEntry* sub = Find(listing, "Sub");
    ASSERT_TRUE(a && b && link && sub);
    EXPECT_TRUE(a->identity.Known());
    EXPECT_EQ(a->identity, link->identity);
    EXPECT_NE(a->identity, b->identity);
    EXPECT_FALSE(a->identity.Matches(b->identity));
    EXPECT_TRUE(a->identity.Matches(FileIdentity{})) << "an unknown identity tells nothing apart";
    EXPECT_TRUE(FileIdentity{}.Matches(b->identity));
    EXPECT_EQ(fs.Stat(tree.Path("a.txt")).identity, a->identity);
    EXPECT_EQ(fs.Stat(tree.Path("b.txt")).identity, b->identity);
    std::error_code error;
    auto file = fs.OpenRead(tree.Path("link.txt"), error);
    ASSERT_TRUE(file) << error.message();
    EXPECT_EQ(file->Status().identity, a->identity);
    auto folder = fs.OpenFolder(tree.Path("Sub"), error);
    ASSERT_TRUE(folder) << error.message();
    EXPECT_EQ(folder->Identity(), sub->identity);
}

TYPED_TEST_P(FileSystemContract, StatTellsKindsSizesAndMissingNames) {
    TempTree tree{{"a.txt", "abc"}, {"Sub/x", ""}};
    FileSystem& fs = *this->native;
    const FileStatus file = fs.Stat(tree.Path("a.txt"));
    EXPECT_FALSE(file.error);
    EXPECT_EQ(file.kind, EntryKind::File);
    EXPECT_EQ(file.size, 3u);
    EXPECT_NE(file.times, FileTimes{});
    EXPECT_EQ(fs.Stat(tree.Path("Sub")).kind, EntryKind::Folder);
    EXPECT_EQ(fs.Stat(tree.Path("fehlt.txt")).error, std::errc::no_such_file_or_directory);
    EXPECT_TRUE(fs.Stat(tree.Path("fehlt/a.txt")).error);
    // Examined through the folder or by its path, a file is the same.
    std::error_code error;
    auto folder = fs.OpenFolder(tree.Path(), error);
    ASSERT_TRUE(folder) << error.message();
    const FileStatus inside = fs.StatIn(*folder, "a.txt");
    EXPECT_EQ(inside.identity, file.identity);
    EXPECT_EQ(inside.times, file.times);
    EXPECT_TRUE(SameFile(inside, file));
}

TYPED_TEST_P(FileSystemContract, PathsLongerThanTheSystemTakesAtOnceWorkForEveryCall) {
    TempTree tree;
    const std::string file = TypeParam::MakeDeepFile(tree, "tief");
    ASSERT_FALSE(file.empty());
    const std::string folder = file.substr(0, file.rfind(this->native->Separator()));
    FileSystem& fs = *this->native;
    FolderListing listing = fs.ListFolder(folder);
    EXPECT_FALSE(listing.error) << listing.error.message();
    const DirEntry* listed = Find(listing, "tief.txt");
    ASSERT_NE(listed, nullptr);
    EXPECT_TRUE(listed->identity.Known());
    EXPECT_EQ(fs.Stat(file).identity, listed->identity);
    EXPECT_EQ(fs.Stat(file).size, 4u);
    EXPECT_EQ(ReadAll(fs, file), "tief");
    EXPECT_FALSE(fs.Delete(file));
    EXPECT_EQ(fs.Stat(file).error, std::errc::no_such_file_or_directory);
    TypeParam::RemoveDeepFolders(tree);
}

// By full path or by name inside a held folder alike.
TYPED_TEST_P(FileSystemContract, OpenReadNeverCreatesAndRefusesFolders) {
    TempTree tree{{"Sub/x", "inhalt"}};
    FileSystem& fs = *this->native;
    std::error_code error;
    auto folder = fs.OpenFolder(tree.Path(), error);
    ASSERT_TRUE(folder) << error.message();
    for (const bool inFolder : {false, true}) {
        auto open = [&](std::string_view name) {
            return inFolder ? fs.OpenReadIn(*folder, std::string(name), error) : fs.OpenRead(tree.Path(name), error);
        };
        EXPECT_FALSE(open("neu.txt"));
        EXPECT_EQ(error, std::errc::no_such_file_or_directory);
        EXPECT_FALSE(tree.Exists("neu.txt"));
        EXPECT_FALSE(open("Sub"));
        EXPECT_TRUE(error);
    }
    auto sub = fs.OpenFolder(tree.Path("Sub"), error);
    ASSERT_TRUE(sub) << error.message();
    auto file = fs.OpenReadIn(*sub, "x", error);
    ASSERT_TRUE(file) << error.message();
    EXPECT_EQ(ReadAll(*file), "inhalt");
}

// Whatever happens to its name, an opened file is the file read and described.
TYPED_TEST_P(FileSystemContract, AnOpenedFileStaysTheFileReadWhenItsNameIsTaken) {
    TempTree tree{{"a.txt", "alt"}, {"b.txt", "neu"}};
    FileSystem& fs = *this->native;
    const FileStatus before = fs.Stat(tree.Path("a.txt"));
    std::error_code error;
    auto file = fs.OpenRead(tree.Path("a.txt"), error);
    ASSERT_TRUE(file) << error.message();
    std::error_code refused;  // Windows keeps the name of a file being read; POSIX gives it up
    std::filesystem::rename(tree.FsPath("b.txt"), tree.FsPath("a.txt"), refused);
    EXPECT_EQ(file->Status().identity, before.identity);
    EXPECT_EQ(file->Status().size, 3u);
    EXPECT_EQ(ReadAll(*file), "alt");
}

TYPED_TEST_P(FileSystemContract, DeleteRemovesARegularFileOnlyAndReportsOneAlreadyGone) {
    TempTree tree{{"a.txt", "abc"}, {"b.txt", "abc"}, {"Sub/x", ""}};
    FileSystem& fs = *this->native;
    EXPECT_FALSE(fs.Delete(tree.Path("a.txt")));
    EXPECT_FALSE(tree.Exists("a.txt"));
    EXPECT_TRUE(tree.Exists("b.txt"));
    EXPECT_EQ(fs.Delete(tree.Path("a.txt")), std::errc::no_such_file_or_directory);
    EXPECT_TRUE(fs.Delete(tree.Path("Sub")));
    EXPECT_TRUE(tree.Exists("Sub/x"));
}

// DeleteIn removes a file only while it is the one expected: kind, size, times and identity.
TYPED_TEST_P(FileSystemContract, DeleteInRemovesOnlyTheFileExpected) {
    TempTree tree{{"a.txt", "abc"}, {"andere.txt", "xyz"}, {"Sub/x", ""}};
    FileSystem& fs = *this->native;
    std::error_code error;
    auto folder = fs.OpenFolder(tree.Path(), error);
    ASSERT_TRUE(folder) << error.message();
    const FileStatus expected = fs.StatIn(*folder, "a.txt");
    ASSERT_FALSE(expected.error);
    FileStatus longer = expected, touched = expected, other = expected;
    longer.size += 1;
    touched.times.modified += 1;
    other.identity.index += 1;
    for (const FileStatus* changed : {&longer, &touched, &other}) {
        EXPECT_EQ(fs.DeleteIn(*folder, "a.txt", *changed), make_error_code(FsError::Changed));
        EXPECT_TRUE(tree.Exists("a.txt"));
    }
    EXPECT_EQ(fs.DeleteIn(*folder, "Sub", fs.StatIn(*folder, "Sub")), make_error_code(FsError::Changed));
    EXPECT_TRUE(tree.Exists("Sub"));
    // Another file of the same size put in its place is not the file expected.
    std::filesystem::rename(tree.FsPath("andere.txt"), tree.FsPath("a.txt"));
    EXPECT_EQ(fs.DeleteIn(*folder, "a.txt", expected), make_error_code(FsError::Changed));
    EXPECT_EQ(tree.Read("a.txt"), "xyz");
    const FileStatus now = fs.StatIn(*folder, "a.txt");
    EXPECT_FALSE(fs.DeleteIn(*folder, "a.txt", now));
    EXPECT_FALSE(tree.Exists("a.txt"));
    EXPECT_EQ(fs.DeleteIn(*folder, "a.txt", now), std::errc::no_such_file_or_directory);
}

// Every name in a folder, sorted: what a user would see there.
inline std::vector<std::string> NamesIn(FileSystem& fs, const std::string& folder) {
    std::vector<std::string> names;
    for (const DirEntry& entry : fs.ListFolder(folder).entries)
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

// A file moved aside is held apart from its name: what a program saves under that name meanwhile
// is never what is read, removed or replaced, and no private name is left behind.
TYPED_TEST_P(FileSystemContract, AFileMovedAsideIsHeldApartFromItsName) {
    using ::testing::ElementsAre;
    const std::string rescued = "a.txt" + std::string(AsideFile::kRescueSuffix);
    TempTree tree{{"a.txt", "alt"}, {"Sub/x", ""}};
    FileSystem& fs = *this->native;
    std::error_code error;
    auto folder = fs.OpenFolder(tree.Path(), error);
    ASSERT_TRUE(folder) << error.message();
    const FileStatus before = fs.StatIn(*folder, "a.txt");
    const auto saveOver = [&](std::string_view contents) {  // the way editors save
        tree.Write("neu.tmp", contents);
        std::filesystem::rename(tree.FsPath("neu.tmp"), tree.FsPath("a.txt"));
    };
    {
        auto aside = fs.MoveAside(*folder, "a.txt", error);
        ASSERT_TRUE(aside) << error.message();
        EXPECT_FALSE(tree.Exists("a.txt"));
        EXPECT_TRUE(SameFile(aside->Status(), before)) << "the move alone changes nothing the checks see";
        EXPECT_EQ(ReadAll(aside->File()), "alt");
        saveOver("neu");
        EXPECT_EQ(aside->PutBack(error), rescued);
        EXPECT_FALSE(error);
    }
    EXPECT_EQ(tree.Read("a.txt"), "neu");
    EXPECT_EQ(tree.Read(rescued), "alt");
    {
        // Removed while another file took the name: only the moved file goes.
        auto aside = fs.MoveAside(*folder, "a.txt", error);
        ASSERT_TRUE(aside) << error.message();
        saveOver("noch neuer");
        EXPECT_FALSE(aside->Remove());
    }
    EXPECT_EQ(tree.Read("a.txt"), "noch neuer");
    {
        auto aside = fs.MoveAside(*folder, rescued, error);  // dropped undecided: put back
        ASSERT_TRUE(aside) << error.message();
        auto second = fs.MoveAside(*folder, "a.txt", error);
        ASSERT_TRUE(second) << error.message();
        EXPECT_EQ(second->PutBack(error), "a.txt");
    }
    EXPECT_THAT(NamesIn(fs, tree.Path()), ElementsAre("Sub", "a.txt", rescued));
    EXPECT_EQ(tree.Read(rescued), "alt");
    EXPECT_FALSE(fs.MoveAside(*folder, "fehlt", error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs.MoveAside(*folder, "Sub", error));
    EXPECT_EQ(error, make_error_code(FsError::Changed));
    EXPECT_THAT(NamesIn(fs, tree.Path()), ElementsAre("Sub", "a.txt", rescued));
}

// While a file is aside, its folder alone tells its old name: in the private name, or, for a
// name too long for that, in a note beside it that goes with the step. A file left under such a
// name is taken back as moved aside.
TYPED_TEST_P(FileSystemContract, AFileAsideLeavesItsOldNameInItsFolderAndCanBeTakenBack) {
    FileSystem& fs = *this->native;
    for (const std::string& name : {std::string("kurz"), std::string(230, 'l')}) {
        TempTree tree{{name, "inhalt"}};
        std::error_code error;
        auto folder = fs.OpenFolder(tree.Path(), error);
        ASSERT_TRUE(folder) << error.message();
        {
            auto aside = fs.MoveAside(*folder, name, error);
            ASSERT_TRUE(aside) << error.message();
            const std::vector<std::string> names = NamesIn(fs, tree.Path());
            ASSERT_EQ(names.size(), FitsAsideName(name) ? 1u : 2u);
            const auto found = std::find_if(names.begin(), names.end(),
                                            [](const std::string& each) { return ParseAsideName(each).has_value(); });
            ASSERT_NE(found, names.end());
            const std::optional<AsideName> parsed = ParseAsideName(*found);
            EXPECT_EQ(parsed->cut ? tree.Read(NoteName(parsed->key)) : parsed->oldName, name);
            EXPECT_FALSE(aside->Remove());
        }
        EXPECT_TRUE(NamesIn(fs, tree.Path()).empty()) << "no note is left";

        const std::string key(32, '7');
        tree.Write(AsideNameFor(key, name), "zurück");
        if (!FitsAsideName(name))
            tree.Write(NoteName(key), name);
        {
            auto adopted = fs.AdoptAside(*folder, AsideNameFor(key, name), name, error);
            ASSERT_TRUE(adopted) << error.message();
            EXPECT_EQ(ReadAll(adopted->File()), "zurück");
            EXPECT_EQ(adopted->PutBack(error), name);
        }
        EXPECT_EQ(NamesIn(fs, tree.Path()), std::vector<std::string>{name});
        EXPECT_EQ(tree.Read(name), "zurück");
        EXPECT_FALSE(fs.AdoptAside(*folder, AsideNameFor(key, name), name, error));
        EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    }
}

// A second name made for a file leads to that file, and never replaces a name taken.
TYPED_TEST_P(FileSystemContract, LinkInMakesASecondNameAndReplacesNothing) {
    TempTree tree{{"a.txt", "abc"}, {"b.txt", "xyz"}};
    FileSystem& fs = *this->native;
    std::error_code error;
    auto folder = fs.OpenFolder(tree.Path(), error);
    ASSERT_TRUE(folder) << error.message();
    EXPECT_FALSE(fs.LinkIn(*folder, "zweit.txt", tree.Path("a.txt")));
    EXPECT_EQ(fs.StatIn(*folder, "zweit.txt").identity, fs.StatIn(*folder, "a.txt").identity);
    EXPECT_EQ(fs.LinkIn(*folder, "b.txt", tree.Path("a.txt")), std::errc::file_exists);
    EXPECT_EQ(tree.Read("b.txt"), "xyz");
}

// A subfolder is entered only while it is the folder its parent listed.
TYPED_TEST_P(FileSystemContract, OpenSubfolderEntersOnlyTheFolderListed) {
    TempTree tree{{"Ziel/a.txt", "abc"}, {"datei.txt", "abc"}};
    FileSystem& fs = *this->native;
    std::error_code error;
    auto root = fs.OpenFolder(tree.Path(), error);
    ASSERT_TRUE(root) << error.message();
    const FolderListing listing = fs.List(*root);
    const DirEntry* listed = Find(listing, "Ziel");
    ASSERT_NE(listed, nullptr);
    const FileIdentity identity = listed->identity;
    auto sub = fs.OpenSubfolder(*root, "Ziel", identity, error);
    ASSERT_TRUE(sub) << error.message();
    EXPECT_FALSE(error);
    EXPECT_EQ(sub->Path(), tree.Path("Ziel"));
    EXPECT_EQ(sub->Identity(), identity);
    EXPECT_NE(Find(fs.List(*sub), "a.txt"), nullptr);
    sub.reset();
    EXPECT_TRUE(fs.OpenSubfolder(*root, "Ziel", FileIdentity{}, error)) << "nothing known, nothing refused";

    EXPECT_FALSE(fs.OpenSubfolder(*root, "Ziel", FileIdentity{identity.volume, identity.index + 1}, error));
    EXPECT_EQ(error, make_error_code(FsError::Replaced));
    EXPECT_FALSE(fs.OpenSubfolder(*root, "datei.txt", FileIdentity{}, error));
    EXPECT_EQ(error, std::errc::not_a_directory);
    EXPECT_FALSE(fs.OpenSubfolder(*root, "fehlt", FileIdentity{}, error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    // The folder was swapped for another one of the same name since it was listed.
    std::filesystem::rename(tree.FsPath("Ziel"), tree.FsPath("Alt"));
    tree.MakeFolder("Ziel");
    EXPECT_FALSE(fs.OpenSubfolder(*root, "Ziel", identity, error));
    EXPECT_EQ(error, make_error_code(FsError::Replaced));
}

// Whatever happens to its name, a folder held open is the folder listed and worked in.
TYPED_TEST_P(FileSystemContract, AHeldFolderStaysTheFolderWorkedIn) {
    TempTree tree{{"D/a.txt", "abc"}};
    FileSystem& fs = *this->native;
    std::error_code error;
    auto folder = fs.OpenFolder(tree.Path("D"), error);
    ASSERT_TRUE(folder) << error.message();
    std::error_code refused;  // Windows keeps the name of a folder held open; POSIX gives it up
    std::filesystem::rename(tree.FsPath("D"), tree.FsPath("D2"), refused);
    const std::string now = refused ? "D" : "D2";
    if (!refused)
        tree.Write("D/fremd.txt", "xyz");
    FolderListing listing = fs.List(*folder);
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].name, "a.txt");
    const FileStatus status = fs.StatIn(*folder, "a.txt");
    EXPECT_EQ(status.size, 3u);
    EXPECT_FALSE(fs.DeleteIn(*folder, "a.txt", status));
    EXPECT_FALSE(tree.Exists(now + "/a.txt"));
}

TYPED_TEST_P(FileSystemContract, LinksAreListedAndExaminedAsLinksNeverAsWhatTheyLeadTo) {
    TempTree scratch;
    ZWF_LINK_TREE_OR_SKIP(links, scratch);
    FileSystem& fs = *this->native;
    FolderListing listing = fs.ListFolder(links);
    ASSERT_FALSE(listing.error) << listing.error.message();
    struct Expected { std::string_view name; EntryKind kind; };
    const auto expectListed = [&](std::initializer_list<Expected> entries) {
        for (const Expected& expected : entries) {
            SCOPED_TRACE(expected.name);
            const DirEntry* entry = Find(listing, expected.name);
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->kind, expected.kind);
        }
    };
    expectListed({{"Verweis", EntryKind::Other}, {"Ziel", EntryKind::Folder}, {"datei.txt", EntryKind::File}});
    if (!TypeParam::SeesEveryLink(links))
        GTEST_SKIP() << "here a link to a file looks like the file, and examining a link examines its target";
    expectListed({{"dateilink.txt", EntryKind::Other}});
    for (std::string_view link : {"Verweis", "dateilink.txt"})
        EXPECT_EQ(fs.Stat(this->Inside(links, link)).kind, EntryKind::Other) << link;
}

// Below the folder the user chose, no link is ever entered, not even one leading to a folder
// that was listed; the chosen folder itself may be reached through links.
TYPED_TEST_P(FileSystemContract, OpenSubfolderRefusesALinkAndOpenFolderFollowsOne) {
    TempTree scratch;
    ZWF_LINK_TREE_OR_SKIP(links, scratch);
    FileSystem& fs = *this->native;
    std::error_code error;
    auto root = fs.OpenFolder(links, error);
    ASSERT_TRUE(root) << error.message();
    const FolderListing listing = fs.List(*root);
    const DirEntry* target = Find(listing, "Ziel");
    ASSERT_NE(target, nullptr);
    for (const FileIdentity& expected : {FileIdentity{}, target->identity}) {
        EXPECT_EQ(fs.OpenSubfolder(*root, "Verweis", expected, error), nullptr);
        EXPECT_EQ(error, make_error_code(FsError::IsLink));
    }
    auto chosen = fs.OpenFolder(this->Inside(links, "Verweis"), error);
    ASSERT_TRUE(chosen) << error.message();
    EXPECT_EQ(chosen->Path(), this->Inside(links, "Verweis"));
    EXPECT_NE(Find(fs.List(*chosen), "a.txt"), nullptr);
}

// A link put where a file was is refused where the system can tell at the open; elsewhere the
// opened file describes itself as the file the link leads to, never as the one catalogued.
TYPED_TEST_P(FileSystemContract, OpenReadOfALinkNeverPassesForTheLink) {
    TempTree scratch;
    ZWF_LINK_TREE_OR_SKIP(links, scratch);
    FileSystem& fs = *this->native;
    std::error_code error;
    auto folder = fs.OpenFolder(links, error);
    ASSERT_TRUE(folder) << error.message();
    std::unique_ptr<ReadableFile> files[] = {fs.OpenRead(this->Inside(links, "dateilink.txt"), error),
                                             fs.OpenReadIn(*folder, "dateilink.txt", error)};
    for (const auto& file : files) {
        if (TypeParam::kRefusesALinkToOpenRead) {
            EXPECT_EQ(file, nullptr);
        } else {
            ASSERT_TRUE(file) << error.message();
            EXPECT_EQ(file->Status().identity, fs.Stat(this->Inside(links, "datei.txt")).identity);
        }
    }
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, KnowsItsSeparatorAndItsRoots,
                            ListsKindSizeAndIdentityOfEachEntryButNoDotEntries,
                            AMissingFolderOrAFileIsAnErrorNotAnEmptyListing, TheRootInCatalogueFormListsTheRoot,
                            SizesBeyond32BitsAreWholeAndReadableAtTheirEnd, Utf8NamesWorkForEveryCall,
                            IdentityTellsOneFileFromTwo, StatTellsKindsSizesAndMissingNames,
                            PathsLongerThanTheSystemTakesAtOnceWorkForEveryCall, OpenReadNeverCreatesAndRefusesFolders,
                            AnOpenedFileStaysTheFileReadWhenItsNameIsTaken,
                            DeleteRemovesARegularFileOnlyAndReportsOneAlreadyGone, DeleteInRemovesOnlyTheFileExpected,
                            AFileMovedAsideIsHeldApartFromItsName,
                            AFileAsideLeavesItsOldNameInItsFolderAndCanBeTakenBack,
                            LinkInMakesASecondNameAndReplacesNothing,
                            OpenSubfolderEntersOnlyTheFolderListed, AHeldFolderStaysTheFolderWorkedIn,
                            LinksAreListedAndExaminedAsLinksNeverAsWhatTheyLeadTo,
                            OpenSubfolderRefusesALinkAndOpenFolderFollowsOne, OpenReadOfALinkNeverPassesForTheLink);

}  // namespace zwf::test
