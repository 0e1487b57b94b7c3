// zwf acting on a list the user reviewed (--from), and --keep in: told by folder identity.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/ZwfRun.h"
#include "tests/support/TempTree.h"

namespace zwf {
namespace {

using test::Outcome;
using test::Quoted;
using test::RunCommand;
using test::RunZwf;
using test::TempTree;

// Two groups, one of them with a name that is no text.
class FromList : public ::testing::Test {
protected:
    void Fill(const TempTree& tree) const {
        for (const char* name : {"T/a", "T/b", "T/n\xff"})
            tree.Write(name, "gleich");
        for (const char* name : {"T/q1", "T/sub/q2"})
            tree.Write(name, "anderer Inhalt");
        tree.Write("T/einzeln", "xyz");
    }
    std::vector<std::string> Left(const TempTree& tree) const {
        std::vector<std::string> left;
        for (const char* name : {"T/a", "T/b", "T/n\xff", "T/q1", "T/sub/q2", "T/einzeln"})
            if (tree.Exists(name))
                left.push_back(name);
        return left;
    }
    TempTree scratch;
};

// Each format, written by zwf or a peer and read from a file or standard input, keeps the first
// copy listed of each group and deletes the others.
TEST_F(FromList, EachFormatOfZwfAndItsPeersIsActedOn) {
    const struct {
        const char* lister;
        const char* from;
    } kCases[] = {
        {"ZWF", "--from LISTE"}, {"ZWF -0", "--from LISTE"}, {"ZWF --json", "--from LISTE"},
        {"ZWF --json", "--from - <LISTE"}, {"fdupes -r", "--from LISTE"}, {"jdupes -r -q", "--from - <LISTE"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.lister) + " | " + c.from);
        TempTree tree;
        Fill(tree);
        std::string lister = c.lister;
        if (lister.starts_with("ZWF"))
            lister.replace(0, 3, ZWF_BINARY);
        else if (std::system(("command -v " + lister.substr(0, lister.find(' ')) + " >/dev/null").c_str()) != 0)
            continue;
        const std::string list = Quoted(scratch.Path("liste"));
        ASSERT_EQ(RunCommand(scratch, lister + " " + Quoted(tree.Path("T")) + " >" + list).status, 0);
        std::string from = c.from;
        from.replace(from.find("LISTE"), 5, list);
        const Outcome run = RunZwf(scratch, "--delete " + from);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Left(tree).size(), 3u) << run.out;  // one of each group, and the file of its own
        EXPECT_TRUE(tree.Exists("T/einzeln"));
        EXPECT_NE(run.out.find("3 Kopien gelöscht"), std::string::npos) << run.out;
    }
}

// A list edited, stale or wrong: the first path listed stays, only what is proven equal to it
// byte for byte goes, and whatever cannot be a member is named with exit status 2.
TEST_F(FromList, AnEditedOrStaleListActsOnlyOnWhatIsProvenACopyNow) {
    const struct {
        std::vector<std::string> list;  // tree paths, "" between groups
        const char* rewrite;            // a copy rewritten after the list was made, same size
        std::vector<std::string> left;
        int status;
        std::vector<std::string> named;  // on stderr
    } kCases[] = {
        {{"T/b", "T/a", "T/n\xff"}, "", {"T/b", "T/q1", "T/sub/q2", "T/einzeln"}, 0, {}},  // a group not listed stays
        {{"T/n\xff", "T/b", "", "T/sub/q2", "T/q1"}, "", {"T/a", "T/n\xff", "T/sub/q2", "T/einzeln"}, 0, {}},
        {{"T/a", "T/b", "T/a"}, "", {"T/a", "T/n\xff", "T/q1", "T/sub/q2", "T/einzeln"}, 2,
         {"T/a: dieselbe Datei wie"}},  // a file listed twice is no copy of itself
        {{"T/a", "T/b", "T/n\xff"}, "T/b", {"T/a", "T/b", "T/q1", "T/sub/q2", "T/einzeln"}, 2,
         {"T/b: nicht gelöscht: die behaltene Kopie ist nicht mehr da oder nicht mehr gleich"}},
        {{"T/a", "T/sub", "T/fehlt", "T/einzeln", "", "T/q1"}, "", {"T/a", "T/b", "T/n\xff", "T/q1", "T/sub/q2", "T/einzeln"}, 2,
         {"T/sub: keine reguläre Datei", "T/fehlt: Datei oder Ordner nicht gefunden",
          "T/einzeln: nicht so groß wie die erste Datei der Gruppe", "T/a: allein in ihrer Gruppe",
          "T/q1: allein in ihrer Gruppe"}},
    };
    for (const auto& c : kCases) {
        TempTree tree;
        Fill(tree);
        std::string list;
        for (const std::string& path : c.list)
            list += (path.empty() ? "" : tree.Path(path)) + "\n";
        scratch.Write("liste", list);
        if (*c.rewrite)
            tree.Write(c.rewrite, "GLEICH");
        const Outcome run = RunZwf(scratch, "--delete --from " + Quoted(scratch.Path("liste")));
        SCOPED_TRACE(list + run.out + run.err);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(Left(tree), c.left);
        for (const std::string& named : c.named)
            EXPECT_NE(run.err.find("zwf: " + tree.Path(named)), std::string::npos) << named;
    }
    // Nothing is searched: folders and filters beside --from, or no action, are usage errors.
    // A list nested deeper than any zwf writes is refused whole, however deep.
    scratch.Write("tief.json", "{\"x\": " + std::string(1 << 20, '[') + std::string(1 << 20, ']') + ", \"groups\": []}");
    for (const char* wrong : {"--delete --from liste ORDNER", "--delete -s 1K --from liste", "--from liste",
                              "--delete --from nirgends", "--delete --from kaputt.json", "--delete --from tief.json"}) {
        scratch.Write("kaputt.json", "{\"groups\": [{\"paths\": [\"a\", 3");
        const Outcome run = RunZwf(scratch, wrong, "cd " + Quoted(scratch.Path()) + " && ");
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_EQ(run.out, "") << wrong;
    }
}

// Every spelling of one folder means that folder; a folder neither searched nor below a searched
// one, or none at all, is a usage error before anything is read.
TEST(KeepIn, EverySpellingOfAFolderMeansItAndAnyOtherIsAUsageError) {
    TempTree tree{{"T/sub/a", "gleich"}, {"T/b", "gleich"}, {"T/sub/tief/c", "gleich"}, {"Anders/x", "y"}};
    TempTree scratch;
    std::filesystem::create_directory_symlink("T/sub", tree.FsPath("verweis"));
    const std::string inTree = "cd " + Quoted(tree.Path()) + " && ";
    for (const std::string& spelling : {std::string("T/sub"), std::string("./T/sub/"), tree.Path("T/sub"),
                                        std::string("verweis"), std::string("T/../T/sub//")}) {
        const Outcome run = RunZwf(scratch, "--delete -n --keep in:" + Quoted(spelling) + " T", inTree);
        EXPECT_EQ(run.status, 0) << spelling << run.err;
        EXPECT_EQ(run.out, "behalten: T/sub/a\nbehalten: T/sub/tief/c\nlöschen: T/b\n\n"
                           "1 Kopie zu löschen, 6 Bytes freizugeben; nichts geändert\n")
            << spelling;
    }
    for (const std::string& wrong : {std::string("/nonexistent"), std::string("/"), std::string("Anders"),
                                     std::string("T/b")}) {
        const Outcome run = RunZwf(scratch, "--delete --keep in:" + Quoted(wrong) + " T", inTree);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_EQ(run.out, "") << wrong;
        EXPECT_TRUE(run.err.starts_with("zwf: --keep in:" + wrong + ": ")) << run.err;
    }
    // From a list, the folders as listed count the same way.
    scratch.Write("liste", "T/b\n" + tree.Path("T/sub/tief/c") + "\nverweis/a\n");
    const Outcome listed = RunZwf(scratch, "--delete -n --keep in:T/sub --from " + Quoted(scratch.Path("liste")), inTree);
    EXPECT_EQ(listed.out, "behalten: " + tree.Path("T/sub/tief/c") +
                              "\nbehalten: verweis/a\nlöschen: T/b\n\n1 Kopie zu löschen, 6 Bytes freizugeben; nichts geändert\n")
        << listed.err;
    EXPECT_TRUE(tree.Exists("T/b"));
}

}  // namespace
}  // namespace zwf
