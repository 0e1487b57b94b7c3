#include "views/LineTexts.h"

#include <gtest/gtest.h>

namespace zwf {
namespace {

TEST(FileLine, ShowsNameAndTrueSize) {
    EXPECT_EQ(FileLine(FileEntry{0, "bild.jpg", 512, {}}), "bild.jpg (512)");
    EXPECT_EQ(FileLine(FileEntry{0, "a.txt", 0, {}}), "a.txt (0)");
    // Sizes of 2 GiB and more are shown as they are, never as their low 32 bits.
    EXPECT_EQ(FileLine(FileEntry{0, "a.txt", 3221225472ULL, {}}), "a.txt (3221225472)");
    EXPECT_EQ(FileLine(FileEntry{0, "a.txt", 4294967296ULL, {}}), "a.txt (4294967296)");
    EXPECT_EQ(FileLine(FileEntry{0, "x", 18446744073709551615ULL, {}}), "x (18446744073709551615)");
}

TEST(GroupLine, CountThenNamesInMemberOrder) {
    Catalogue catalogue('/');
    const FolderId a = catalogue.folders.Intern("/a");
    const FolderId b = catalogue.folders.Intern("/b");
    catalogue.allFiles = {{a, "a.txt", 4, {}}, {b, "a.txt", 4, {}}, {b, "kopie.txt", 4, {}},
                          {a, "x", 9, {}}, {b, "y", 9, {}}};
    catalogue.AppendGroup(4, {0, 1, 2});
    catalogue.AppendGroup(9, {4, 3});
    EXPECT_EQ(GroupLine(catalogue, catalogue.groups[0]), "3: a.txt, a.txt, kopie.txt");
    // Each group's walk starts at its own first member and takes exactly its count.
    EXPECT_EQ(GroupLine(catalogue, catalogue.groups[1]), "2: y, x");
    catalogue.RemoveMember(0, 0);
    EXPECT_EQ(GroupLine(catalogue, catalogue.groups[0]), "2: a.txt, kopie.txt");
}

TEST(GroupLine, HasNoLimitOnLength) {
    Catalogue catalogue('/');
    std::vector<std::size_t> sources;
    const std::string name(300, 'n');
    for (std::size_t i = 0; i < 400; ++i) {
        catalogue.allFiles.push_back(FileEntry{catalogue.folders.Intern("/f"), name, 1, {}});
        sources.push_back(i);
    }
    catalogue.AppendGroup(1, sources);
    const std::string line = GroupLine(catalogue, catalogue.groups[0]);
    EXPECT_EQ(line.size(), 5u + 400u * 300u + 399u * 2u);
    EXPECT_EQ(line.substr(0, 7), "400: nn");
}

TEST(MemberLine, IsFolderSeparatorName) {
    Catalogue windows('\\');
    windows.allFiles = {{windows.folders.Intern("C:\\Daten"), "a.txt", 1, {}}, {windows.folders.Intern("C:"), "b", 1, {}}};
    windows.AppendGroup(1, {0, 1});
    auto member = windows.groupMembers.begin();
    EXPECT_EQ(MemberLine(windows, *member), "C:\\Daten\\a.txt");
    EXPECT_EQ(MemberLine(windows, *++member), "C:\\b");

    // A file in the POSIX root has the folder "" and still reads with one slash.
    Catalogue posix('/');
    posix.allFiles = {{posix.folders.Intern(""), "etc-file", 1, {}}, {posix.folders.Intern("/home/u"), "f", 1, {}}};
    posix.AppendGroup(1, {0, 1});
    EXPECT_EQ(MemberLine(posix, posix.groupMembers.front()), "/etc-file");
    EXPECT_EQ(MemberLine(posix, posix.groupMembers.back()), "/home/u/f");
}

}  // namespace
}  // namespace zwf
