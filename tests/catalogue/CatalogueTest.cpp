#include "catalogue/Catalogue.h"
#include "catalogue/Glob.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zwf {
namespace {

using ::testing::ElementsAre;

Catalogue WithFiles(std::initializer_list<const char*> names) {
    Catalogue catalogue('/');
    FolderId folder = catalogue.folders.Intern("/data");
    for (const char* name : names)
        catalogue.allFiles.push_back(FileEntry{folder, name, 5, {}});
    return catalogue;
}

std::vector<std::string> GroupNames(const Catalogue& catalogue, std::size_t g) {
    std::vector<std::string> names;
    for (const GroupMember& member : catalogue.Members(catalogue.groups[g]))
        names.push_back(member.name);
    return names;
}

TEST(Catalogue, GroupsKeepTheirMembersConsecutiveThroughRemovals) {
    Catalogue c = WithFiles({"a", "b", "c", "d", "e"});
    c.AppendGroup(5, {0, 2, 4});
    c.AppendGroup(5, {1, 3});
    EXPECT_THAT(GroupNames(c, 0), ElementsAre("a", "c", "e"));
    EXPECT_THAT(GroupNames(c, 1), ElementsAre("b", "d"));
    EXPECT_EQ(c.FullPath(*c.groups[1].firstMember), "/data/b");

    c.RemoveMember(0, 0);  // the first member: the second becomes first
    EXPECT_THAT(GroupNames(c, 0), ElementsAre("c", "e"));
    EXPECT_EQ(c.groups[0].firstMember->source, 2u);
    c.RemoveMember(0, 1);  // the last member
    EXPECT_THAT(GroupNames(c, 0), ElementsAre("c"));
    EXPECT_THAT(GroupNames(c, 1), ElementsAre("b", "d"));
    c.RemoveMember(0, 7);  // past the end: nothing
    EXPECT_EQ(c.groups[0].memberCount, 1u);

    c.RemoveGroup(0);
    ASSERT_EQ(c.groups.size(), 1u);
    EXPECT_THAT(GroupNames(c, 0), ElementsAre("b", "d"));
    EXPECT_EQ(c.groupMembers.size(), 2u);
    EXPECT_EQ(c.allFiles.size(), 5u);  // deletions never shorten the catalogue
}

TEST(Catalogue, ResetEmptiesEverythingAndForgetsTheLastFolder) {
    Catalogue c = WithFiles({"a", "b"});
    c.AppendGroup(5, {0, 1});
    c.lastFolder = "/data/";
    c.Reset();
    EXPECT_TRUE(c.allFiles.empty());
    EXPECT_TRUE(c.groups.empty());
    EXPECT_TRUE(c.groupMembers.empty());
    EXPECT_TRUE(c.lastFolder.empty());
    EXPECT_EQ(c.folders.Count(), 0u);
}

// A command that cannot finish goes back to where it started: its files and folders forgotten,
// the folder added last as it was, the groups of earlier searches kept.
TEST(Catalogue, GoingBackToAMarkForgetsWhatCameSinceAndKeepsTheGroups) {
    Catalogue c = WithFiles({"a", "b"});
    c.AppendGroup(5, {0, 1});
    c.lastFolder = "/data/";
    const Catalogue::Mark mark = c.MarkNow();
    c.lastFolder = "/neu/";
    const FolderId added = c.folders.Intern("/neu");
    const FolderId below = c.folders.Intern(added, "unter", {1, 2});
    c.allFiles.push_back(FileEntry{below, "c", 5, {}});
    c.BackTo(mark);
    EXPECT_EQ(c.allFiles.size(), 2u);
    EXPECT_EQ(c.folders.Count(), 1u);
    EXPECT_EQ(c.lastFolder, "/data/");
    EXPECT_THAT(GroupNames(c, 0), ElementsAre("a", "b"));
    // The folders forgotten are new again, with the ids they had.
    EXPECT_EQ(c.folders.Intern("/neu"), added);
    EXPECT_EQ(c.folders.Intern(added, "unter", {1, 2}), below);
    EXPECT_EQ(c.folders.Count(), 3u);
}

TEST(Catalogue, FilesInTheRootReadWithOneSeparator) {
    Catalogue posix('/');
    FileEntry atRoot{posix.folders.Intern(""), "vmlinuz", 1, {}};
    EXPECT_EQ(posix.FullPath(atRoot), "/vmlinuz");
    Catalogue windows('\\');
    FileEntry onDrive{windows.folders.Intern("C:"), "boot.ini", 1, {}};
    EXPECT_EQ(windows.FullPath(onDrive), "C:\\boot.ini");
}

// Exclusion patterns as users write them, on both kinds of separator.
TEST(Glob, PatternsMatchNamesAndPathsWithoutCrossingASeparator) {
    const struct {
        const char* pattern;
        const char* text;
        char separator;
        bool matches;
    } cases[] = {
        {"*.tmp", "a.tmp", '/', true},          {"*.tmp", "a.tmp.bak", '/', false},
        {"*.tmp", "sub/a.tmp", '/', false},     {"sub/*.tmp", "sub/a.tmp", '/', true},
        {"s*.tmp", "sub/a.tmp", '/', false},    {"?.o", "a.o", '/', true},
        {"?.o", "ab.o", '/', false},            {"[ab].o", "b.o", '/', true},
        {"[!ab].o", "b.o", '/', false},         {"[a-c]x", "cx", '/', true},
        {"[", "[", '/', true},                  {"\\*", "*", '/', true},
        {"\\*", "a", '/', false},               {"*", "", '/', true},
        {"a*b*c", "aXbYbZc", '/', true},        {"a*b*c", "aXbYbZ", '/', false},
        {"node_modules", "node_modules", '/', true},
        {"sub\\*.tmp", "sub\\a.tmp", '\\', true}, {"sub/*.tmp", "sub\\a.tmp", '\\', true},
        {"*.tmp", "sub\\a.tmp", '\\', false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GlobMatches(c.pattern, c.text, c.separator), c.matches)
            << c.pattern << " on " << c.text << " with " << c.separator;
}

}  // namespace
}  // namespace zwf
