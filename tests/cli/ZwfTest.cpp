#include <gtest/gtest.h>

#include <cstdio>
#include <vector>
#include <sys/stat.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <string>
#include <sys/wait.h>

#include "tests/cli/ZwfRun.h"
#include "tests/support/TempTree.h"

namespace zwf {
namespace {

using test::Outcome;
using test::Quoted;
using test::RunCommand;
using test::RunZwf;
using test::TempTree;

class Zwf : public ::testing::Test {
protected:
    TempTree tree{{"A/a.txt", "same"}, {"A/sub/kopie.txt", "same"}, {"A/other.txt", "diff"},
                  {"B/a.txt", "same"}, {"B/big1", "0123456789"}, {"B/big2", "0123456789"}, {"B/empty1", ""},
                  {"B/empty2", ""}};
    TempTree scratch;
    std::string A = Quoted(tree.Path("A"));
    std::string B = Quoted(tree.Path("B"));
};

TEST_F(Zwf, PrintsGroupsInCatalogueOrderOnePathALineWithABlankLineAfterEach) {
    Outcome run = RunZwf(scratch, A + " " + B);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, tree.Path("A/a.txt") + "\n" + tree.Path("A/sub/kopie.txt") + "\n" + tree.Path("B/a.txt") +
                           "\n\n" + tree.Path("B/big1") + "\n" + tree.Path("B/big2") + "\n\n");
    EXPECT_EQ(run.err, "");  // no progress line when stderr is no terminal
    EXPECT_TRUE(tree.Exists("B/big2"));
    EXPECT_TRUE(tree.Exists("A/sub/kopie.txt"));
}

TEST_F(Zwf, AFolderGivenTwiceInARowIsScannedOnceButAgainLater) {
    Outcome twice = RunZwf(scratch, "--summary " + A + " " + A + "/");
    EXPECT_EQ(twice.out,
              "3 Dateien katalogisiert\n"
              "1 Gruppe mit gleichem Inhalt, 2 Dateien\n"
              "1 Kopie zu viel, 4 Bytes freizugeben\n");
    // A, B, A: the second A is another scan, but a file never pairs with its own second record.
    Outcome again = RunZwf(scratch, "--summary " + A + " " + B + " " + A);
    EXPECT_EQ(again.out,
              "11 Dateien katalogisiert\n"
              "2 Gruppen mit gleichem Inhalt, 5 Dateien\n"
              "3 Kopien zu viel, 18 Bytes freizugeben\n");
}

TEST_F(Zwf, JsonNamesSizesAndPathsAndEscapesWhatJsonCannotHoldRaw) {
    tree.Write("C/quote\"back\\slash", "x");
    tree.Write("C/bytes\xff", "x");
    Outcome run = RunZwf(scratch, "--json " + Quoted(tree.Path("C")));
    EXPECT_EQ(run.status, 0);
    const std::string folder = tree.Path("C");
    std::string hexFolder;
    for (unsigned char c : folder)
        hexFolder += "0123456789abcdef"[c >> 4], hexFolder += "0123456789abcdef"[c & 0xF];
    EXPECT_EQ(run.out, "{\"files\": 2, \"groups\": [\n  {\"size\": 1, \"paths\": [\"" + folder +
                           "/bytes\\ufffd\", \"" + folder + "/quote\\\"back\\\\slash\"], \"raw_paths\": [\"" +
                           hexFolder + "2f6279746573ff\", null]}\n], \"duplicates\": 1, \"reclaimable_bytes\": 1}\n");
    Outcome none = RunZwf(scratch, "--json " + Quoted(tree.Path("A/sub")));
    EXPECT_EQ(none.out, "{\"files\": 1, \"groups\": [], \"duplicates\": 0, \"reclaimable_bytes\": 0}\n");
}

TEST_F(Zwf, AMissingFolderIsNamedOnStderrAndExitsWithTwoAfterTheOthersAreSearched) {
    const std::string missing = tree.Path("nowhere");
    Outcome run = RunZwf(scratch, "--summary " + Quoted(missing) + " " + B);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("1 Gruppe mit gleichem Inhalt"), std::string::npos);
}

TEST_F(Zwf, WhatCouldNotBeReadIsNamedOnStderrTheGroupsFoundArePrintedAndItExitsWithTwo) {
    namespace fs = std::filesystem;
    tree.Write("C/offen/a", "same");
    tree.Write("C/offen/b", "same");
    tree.Write("C/gesperrt/x", "same");
    tree.Write("C/geheim", "same");  // of a candidate size: the search has to read it
    fs::permissions(tree.FsPath(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(tree.FsPath("C/gesperrt"), fs::perms::none);
    fs::permissions(tree.FsPath("C/geheim"), fs::perms::none);
    // Permissions bind root only in part: the run drops to an ordinary user.
    const std::string asUser = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    Outcome run = RunZwf(scratch, Quoted(tree.Path("C")), asUser);
    fs::permissions(tree.FsPath("C/gesperrt"), fs::perms::owner_all);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(tree.Path("C/gesperrt") + ": Zugriff verweigert\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(tree.Path("C/geheim") + ": Zugriff verweigert\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, tree.Path("C/offen/a") + "\n" + tree.Path("C/offen/b") + "\n\n");
}

TEST_F(Zwf, OutputThatCannotBeWrittenIsNamedOnStderrAndExitsWithTwo) {
    for (const std::string& arguments : {A, std::string("--help"), std::string("--version")}) {
        Outcome run = RunZwf(scratch, arguments + " >/dev/full");
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.err, "zwf: Ausgabe konnte nicht geschrieben werden: kein Platz mehr auf dem Gerät\n") << arguments;
    }
}

TEST_F(Zwf, ReasonsAreGivenInGerman) {
    tree.Write("datei", "x");
    std::filesystem::create_symlink("schleife", tree.FsPath("schleife"));
    const struct {
        std::string folder;
        const char* reason;
    } kCases[] = {
        {tree.Path("nirgends"), "Datei oder Ordner nicht gefunden"},
        {tree.Path("datei"), "ist kein Ordner"},
        {tree.Path("schleife"), "zu viele Ebenen symbolischer Verknüpfungen"},
        {tree.Path(std::string(300, 'x')), "Name zu lang"},
    };
    for (const auto& c : kCases) {
        Outcome run = RunZwf(scratch, Quoted(c.folder) + " " + B);
        EXPECT_EQ(run.status, 2) << c.reason;
        EXPECT_EQ(run.err, "zwf: " + c.folder + ": " + c.reason + "\n");
    }
}

TEST_F(Zwf, TheProgressLineOnATerminalCountsFilesInTheSingularForOne) {
    tree.Write("eins/x", "1");
    tree.Write("zwei/x", "1");
    tree.Write("zwei/y", "2");
    const struct {
        const char* folder;
        const char* shown;
    } kCases[] = {{"eins", "Durchsuche Ordner: 1 Datei\r"}, {"zwei", "Durchsuche Ordner: 2 Dateien\r"}};
    for (const auto& c : kCases) {
        // script gives zwf a terminal, and passes on what zwf writes to it.
        const std::string zwf = std::string(ZWF_BINARY) + " " + Quoted(tree.Path(c.folder));
        Outcome run = RunCommand(scratch, "script -qec " + Quoted(zwf) + " /dev/null </dev/null");
        EXPECT_NE(run.out.find(c.shown), std::string::npos) << run.out;
    }
}

TEST_F(Zwf, NullSeparatedOutputKeepsAnyNameWhole) {
    tree.Write("N/zeile\numbruch", "x");
    tree.Write("N/b\xff", "x");
    tree.Write("N/b\xfe", "x");
    Outcome run = RunZwf(scratch, "-0 " + Quoted(tree.Path("N")));
    EXPECT_EQ(run.status, 0);
    const std::string nul(1, '\0');
    EXPECT_EQ(run.out, tree.Path("N/b\xfe") + nul + tree.Path("N/b\xff") + nul + tree.Path("N/zeile\numbruch") + nul + nul);
    EXPECT_EQ(RunZwf(scratch, "-0 --json " + A).status, 2);
}

TEST_F(Zwf, UsageErrorsExitWithTwo) {
    EXPECT_EQ(RunZwf(scratch, "").status, 2);
    EXPECT_EQ(RunZwf(scratch, "--no-such-option " + A).status, 2);
    EXPECT_EQ(RunZwf(scratch, "--json --summary " + A).status, 2);
    Outcome help = RunZwf(scratch, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("ORDNER"), std::string::npos);
}

// Options are taken as getopt-style tools take them: each spelling gives the output of the plain
// one; a wrong one is named on stderr as the user wrote it.
TEST_F(Zwf, OptionsMayBeBundledAbbreviatedAndPlacedAfterTheFolders) {
    const struct {
        std::string plain, other;
    } same[] = {
        {"-S -f " + A + " " + B, "-Sf " + A + " " + B},
        {"-S -f " + A + " " + B, "-rfS " + A + " " + B},
        {"-s 5 " + A + " " + B, "-s5 " + A + " " + B},
        {"-s 5 " + A + " " + B, "--min-size=5 " + A + " " + B},
        {"-s 5 " + A + " " + B, A + " --min 5 " + B},
        {"-m " + A, A + " -m --recurse"},
        {"--delete -n " + A, "-n --del " + A},
    };
    for (const auto& c : same) {
        SCOPED_TRACE(c.other);
        const Outcome plain = RunZwf(scratch, c.plain);
        const Outcome other = RunZwf(scratch, c.other);
        EXPECT_EQ(plain.status, 0) << plain.err;
        EXPECT_EQ(other.status, 0) << other.err;
        EXPECT_EQ(other.out, plain.out);
        EXPECT_NE(plain.out, "");
    }
    const struct {
        std::string arguments, error;
    } wrong[] = {
        {"-Sq " + A, "unbekannte Option: -q"},
        {"--json -qS " + A, "unbekannte Option: -q"},
        {"--gibts-nicht=1 " + A, "unbekannte Option: --gibts-nicht"},
        {"--json=1 " + A, "--json nimmt keinen Wert"},
        {A + " -fs", "-s braucht einen Wert"},
        {A + " --max-size", "--max-size braucht einen Wert"},
        {"--d " + A, "mehrdeutige Option: --d (--delete, --dedupe, --dry-run)"},
        {"-- -S", "-S: Datei oder Ordner nicht gefunden"},
    };
    for (const auto& c : wrong) {
        const Outcome run = RunZwf(scratch, c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_EQ(run.out, "") << c.arguments;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "zwf: " + c.error) << c.arguments;
    }
}

// Filters and list options, each case one command line and its whole output.
TEST_F(Zwf, FiltersAndListOptionsShapeTheGroupsPrinted) {
    const std::string same = tree.Path("A/a.txt") + "\n" + tree.Path("A/sub/kopie.txt") + "\n" + tree.Path("B/a.txt");
    const std::string big = tree.Path("B/big1") + "\n" + tree.Path("B/big2");
    const struct {
        std::string options, out;
    } cases[] = {
        {"-s 5", big + "\n\n"},
        {"--max-size 4", same + "\n\n"},
        {"--min-size=1K", ""},
        {"--exclude sub", tree.Path("A/a.txt") + "\n" + tree.Path("B/a.txt") + "\n\n" + big + "\n\n"},
        {"--exclude 'sub/*.txt' --exclude 'big?'", tree.Path("A/a.txt") + "\n" + tree.Path("B/a.txt") + "\n\n"},
        {"--exclude 's*.txt'", same + "\n\n" + big + "\n\n"},  // a star never crosses a separator
        {"-S -f", "4 Bytes je Datei:\n" + tree.Path("A/sub/kopie.txt") + "\n" + tree.Path("B/a.txt") +
                      "\n\n10 Bytes je Datei:\n" + tree.Path("B/big2") + "\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const Outcome run = RunZwf(scratch, c.options + " " + A + " " + B);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
    for (const char* wrong : {"-S --json", "-S -0", "-f -m", "--min-size 5 --max-size 4", "--min-size 3X",
                              "--max-size", "--exclude ''"}) {
        const Outcome run = RunZwf(scratch, std::string(wrong) + " " + A);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_EQ(run.out, "") << wrong;
    }
}

TEST_F(Zwf, TheSummaryGivesTheSpaceInReadableUnitsToo) {
    tree.Write("C/x", std::string(1536, 'q'));
    tree.Write("C/y", std::string(1536, 'q'));
    const Outcome run = RunZwf(scratch, "-m " + Quoted(tree.Path("C")));
    EXPECT_EQ(run.out, "2 Dateien katalogisiert\n1 Gruppe mit gleichem Inhalt, 2 Dateien\n"
                       "1 Kopie zu viel, 1536 Bytes freizugeben (1,5 KiB)\n");
}

// A file system mounted below the folder given (a ramfs, where the test may mount one).
TEST_F(Zwf, OneFileSystemStaysOnTheFileSystemOfTheFolderGiven) {
    tree.MakeFolder("A/fremd");
    const std::string mount = tree.Path("A/fremd");
    if (::geteuid() != 0 || std::system(("mount -t ramfs ramfs " + Quoted(mount) + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a file system here";
    tree.Write("A/fremd/a.txt", "same");
    const Outcome across = RunZwf(scratch, "-m " + A);
    const Outcome staying = RunZwf(scratch, "-m -x " + A);
    std::system(("umount " + Quoted(mount)).c_str());
    EXPECT_NE(across.out.find("4 Dateien katalogisiert"), std::string::npos) << across.out;
    EXPECT_NE(staying.out.find("3 Dateien katalogisiert"), std::string::npos) << staying.out;
}

// A folder added once directly and once through a bindfs view of it (another device, the same
// inode numbers, sizes and times): each file is one file, never a copy of itself.
TEST_F(Zwf, AFolderSeenThroughAFuseViewBesideItIsOneFolder) {
    TempTree own{{"einzig", "nur einmal"}, {"unter/anders", "auch einmal"}, {"paar1", "gleich"}, {"paar2", "gleich"}};
    const std::string view = scratch.Path("ansicht");
    std::filesystem::create_directory(view);
    if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0 ||
        std::system(("bindfs " + Quoted(own.Path()) + " " + Quoted(view) + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no bindfs view can be mounted here (needs root, /dev/fuse and bindfs)";
    const std::string folders = Quoted(own.Path()) + " " + Quoted(view);
    const Outcome plain = RunZwf(scratch, folders);
    const Outcome summary = RunZwf(scratch, "--summary " + folders);
    const Outcome viewFirst = RunZwf(scratch, Quoted(view) + " " + Quoted(own.Path()));
    std::system(("umount " + Quoted(view)).c_str());
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, own.Path("paar1") + "\n" + own.Path("paar2") + "\n\n");
    EXPECT_EQ(summary.out,
              "8 Dateien katalogisiert\n"
              "1 Gruppe mit gleichem Inhalt, 2 Dateien\n"
              "1 Kopie zu viel, 6 Bytes freizugeben\n");
    EXPECT_EQ(viewFirst.out, view + "/paar1\n" + view + "/paar2\n\n") << "the record catalogued first stays";
}

// Every file's identity, size and times, to tell that nothing changed.
std::string Fingerprint(const TempTree& tree) {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.FsPath())) {
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        all += entry.path().string() + " " + std::to_string(info.st_ino) + " " + std::to_string(info.st_size) + " " +
               std::to_string(info.st_mtim.tv_nsec) + " " + std::to_string(info.st_ctim.tv_nsec) + "\n";
    }
    return all;
}

// --delete by each rule: the copies the rule keeps and every unique file stay, the others go;
// --dry-run prints the same plan and changes nothing.
TEST_F(Zwf, DeleteKeepsWhatTheRuleSaysAndADryRunChangesNothing) {
    const struct {
        std::string keep;
        std::vector<std::string> kept, gone;
    } cases[] = {
        {"", {"A/a.txt", "B/big1"}, {"A/sub/kopie.txt", "B/a.txt", "B/big2"}},
        {"--keep in:B", {"B/a.txt", "B/big1", "B/big2"}, {"A/a.txt", "A/sub/kopie.txt"}},
        {"--keep oldest", {"B/a.txt", "B/big1"}, {"A/a.txt", "A/sub/kopie.txt", "B/big2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keep);
        TempTree fresh{{"A/a.txt", "same"}, {"A/sub/kopie.txt", "same"}, {"A/other.txt", "diff"}, {"B/a.txt", "same"},
                       {"B/big1", "0123456789"}, {"B/big2", "0123456789"}};
        // B/a.txt is the oldest copy of its content, B/big1 of its own.
        for (const char* old : {"B/a.txt", "B/big1"})
            std::filesystem::last_write_time(fresh.FsPath(old), std::filesystem::file_time_type::clock::now() -
                                                                    std::chrono::hours(24));
        const std::string folders = Quoted(fresh.Path("A")) + " " + Quoted(fresh.Path("B"));
        const std::string keep = c.keep == "--keep in:B" ? "--keep in:" + Quoted(fresh.Path("B")) : c.keep;
        const std::string before = Fingerprint(fresh);
        const Outcome plan = RunZwf(scratch, "--delete -n " + keep + " " + folders);
        EXPECT_EQ(plan.status, 0) << plan.err;
        EXPECT_EQ(Fingerprint(fresh), before) << "a dry run changed something";
        const Outcome done = RunZwf(scratch, "--delete " + keep + " " + folders);
        EXPECT_EQ(done.status, 0) << done.err;
        for (const std::string& path : c.kept) {
            EXPECT_TRUE(fresh.Exists(path)) << path;
            EXPECT_NE(plan.out.find("behalten: " + fresh.Path(path) + "\n"), std::string::npos) << path;
        }
        for (const std::string& path : c.gone) {
            EXPECT_FALSE(fresh.Exists(path)) << path;
            EXPECT_NE(plan.out.find("löschen: " + fresh.Path(path) + "\n"), std::string::npos) << path;
            EXPECT_NE(done.out.find("gelöscht: " + fresh.Path(path) + "\n"), std::string::npos) << path;
        }
        EXPECT_TRUE(fresh.Exists("A/other.txt"));
    }
    for (const char* wrong : {"--delete -m", "--delete --json", "--delete -S", "--keep newest", "-n",
                              "--delete --keep best", "--delete --link"}) {
        const Outcome run = RunZwf(scratch, std::string(wrong) + " " + A);
        EXPECT_EQ(run.status, 2) << wrong;
    }
    EXPECT_TRUE(tree.Exists("A/sub/kopie.txt")) << "a usage error deletes nothing";
}

// --link leaves one file under every name of a group; a copy on another file system (a ramfs,
// where the test may mount one) is refused, named, and kept as it is.
TEST_F(Zwf, LinkMakesOneFileOfTheCopiesAndRefusesAcrossFileSystems) {
    const auto inode = [&](const std::string& relative) {
        struct stat info {};
        ::stat(tree.Path(relative).c_str(), &info);
        return info.st_ino;
    };
    const std::string before = Fingerprint(tree);
    EXPECT_EQ(RunZwf(scratch, "--link -n " + A + " " + B).status, 0);
    EXPECT_EQ(Fingerprint(tree), before);
    const Outcome run = RunZwf(scratch, "--link " + A + " " + B);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(inode("A/sub/kopie.txt"), inode("A/a.txt"));
    EXPECT_EQ(inode("B/a.txt"), inode("A/a.txt"));
    EXPECT_EQ(inode("B/big2"), inode("B/big1"));
    EXPECT_NE(inode("A/other.txt"), inode("A/a.txt"));
    EXPECT_EQ(tree.Read("B/a.txt"), "same");

    tree.MakeFolder("C");
    const std::string mount = tree.Path("C");
    if (::geteuid() != 0 || std::system(("mount -t ramfs ramfs " + Quoted(mount) + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a file system here";
    tree.Write("C/a.txt", "same");
    const Outcome across = RunZwf(scratch, "--link " + A + " " + Quoted(mount));
    const bool kept = tree.Read("C/a.txt") == "same";
    std::system(("umount " + Quoted(mount)).c_str());
    EXPECT_EQ(across.status, 2);
    EXPECT_NE(across.err.find("nicht verknüpft"), std::string::npos) << across.err;
    EXPECT_TRUE(kept);
}

// A refusal is named with its own reason: a copy on a read-only view of its folder (a bind
// mount), and a hard link to a kept copy of another owner that fs.protected_hardlinks refuses.
TEST_F(Zwf, ARefusalIsNamedWithItsReason) {
    namespace fs = std::filesystem;
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount and to own files as others";
    TempTree own{{"a", "gleich"}, {"nur/b", "gleich"}};
    const std::string readOnly = own.Path("nur");
    const std::string bind = "mount --bind " + Quoted(readOnly) + " " + Quoted(readOnly) +
                             " && mount -o remount,bind,ro " + Quoted(readOnly);
    if (std::system((bind + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a read-only view here";
    const Outcome deleting = RunZwf(scratch, "--delete " + Quoted(own.Path()));
    std::system(("umount " + Quoted(readOnly)).c_str());
    EXPECT_EQ(deleting.status, 2);
    EXPECT_EQ(deleting.err, "zwf: " + own.Path("nur/b") + ": nicht gelöscht: das Dateisystem ist schreibgeschützt\n");
    EXPECT_EQ(own.Read("nur/b"), "gleich");

    std::string setting;
    if (std::FILE* file = std::fopen("/proc/sys/fs/protected_hardlinks", "r")) {
        setting.push_back(static_cast<char>(std::fgetc(file)));
        std::fclose(file);
    }
    if (setting != "1")
        GTEST_SKIP() << "fs.protected_hardlinks is off here";
    // The copy kept belongs to another user and is only readable: an ordinary user may not link it.
    TempTree shared{{"a", "gleich"}, {"b", "gleich"}};
    fs::permissions(shared.FsPath(), fs::perms::all);
    ASSERT_EQ(::chown(shared.Path("a").c_str(), 65533, 65533), 0);
    ASSERT_EQ(::chown(shared.Path("b").c_str(), 65534, 65534), 0);
    const Outcome linking = RunZwf(scratch, "--link " + Quoted(shared.Path()), "setpriv --reuid=65534 --regid=65534 --clear-groups ");
    EXPECT_EQ(linking.status, 2);
    EXPECT_EQ(linking.err, "zwf: " + shared.Path("b") +
                               ": nicht verknüpft: die behaltene Kopie gehört einem anderen Benutzer, und das System "
                               "erlaubt keine harte Verknüpfung mit ihr (fs.protected_hardlinks)\n");
    EXPECT_EQ(shared.Read("b"), "gleich");
}

// --dedupe: refused and named where the file system cannot share blocks (the temporary folder's);
// on btrfs (an image made and mounted by the test where it may) the copies share their blocks
// afterwards and their contents are what they were.
TEST_F(Zwf, DedupeSharesBlocksWhereTheFileSystemCanAndIsRefusedElsewhere) {
    const std::string before = Fingerprint(tree);
    const Outcome planned = RunZwf(scratch, "--dedupe -n " + A + " " + B);
    const Outcome refused = RunZwf(scratch, "--dedupe " + A + " " + B);
    if (refused.status == 0)
        GTEST_SKIP() << "the temporary folder's file system shares blocks itself";
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("nicht geteilt: dieses Dateisystem kann keine Blöcke teilen"), std::string::npos)
        << refused.err;
    // The plan tells each copy the run refuses, for the same reason, and counts none of them.
    EXPECT_EQ(planned.status, 2);
    for (const char* copy : {"A/sub/kopie.txt", "B/a.txt", "B/big2"})
        EXPECT_NE(planned.err.find(tree.Path(copy) + ": nicht zu teilen: dieses Dateisystem kann keine Blöcke teilen"),
                  std::string::npos) << planned.err;
    EXPECT_NE(planned.out.find("0 Kopien zu teilen"), std::string::npos) << planned.out;
    EXPECT_EQ(Fingerprint(tree), before);

    const std::string image = scratch.Path("btrfs.img"), mount = scratch.Path("btrfs");
    std::filesystem::create_directory(mount);
    const std::string make = "truncate -s 200M " + Quoted(image) + " && mkfs.btrfs -q " + Quoted(image) +
                             " && mount -o loop " + Quoted(image) + " " + Quoted(mount);
    if (::geteuid() != 0 || std::system((make + " >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "no btrfs image can be made and mounted here";
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
    for (const char* name : {"/eins", "/zwei", "/drei"}) {
        std::FILE* file = std::fopen((mount + name).c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    const auto exclusive = [&] {
        std::system("sync");
        return RunCommand(scratch, "btrfs filesystem du -s --raw " + Quoted(mount) + " | tail -n 1 | awk '{print $2}'").out;
    };
    const std::string exclusiveBefore = exclusive();
    const Outcome plan = RunZwf(scratch, "--dedupe -n " + Quoted(mount));
    const Outcome shared = RunZwf(scratch, "--dedupe " + Quoted(mount));
    const std::string exclusiveAfter = exclusive();
    const Outcome same = RunCommand(scratch, "cmp " + Quoted(mount + "/eins") + " " + Quoted(mount + "/drei") +
                                                 " && cmp " + Quoted(mount + "/eins") + " " + Quoted(mount + "/zwei"));
    std::system(("umount " + Quoted(mount)).c_str());
    EXPECT_EQ(plan.status, 0) << plan.err;
    EXPECT_NE(plan.out.find("2 Kopien zu teilen"), std::string::npos) << plan.out;
    EXPECT_EQ(shared.status, 0) << shared.err;
    EXPECT_NE(shared.out.find("2 Kopien geteilt"), std::string::npos) << shared.out;
    EXPECT_EQ(same.status, 0) << "contents changed";
    EXPECT_LT(std::stoull(exclusiveAfter), std::stoull(exclusiveBefore)) << exclusiveBefore << " " << exclusiveAfter;
}

// A program saving over the copy zwf --delete is to remove, again and again, the usual way (a new
// file renamed over the name), starting at some moment of zwf's run: before each save it looks for
// its last one, and a save gone for good is a save lost. zwf may remove only the file it searched.
TEST_F(Zwf, DeleteRacingAProgramSavingOverTheCopyNeverLosesASave) {
    const std::string content(8 * 1024 * 1024, 'g');  // so the search and the comparison take a while
    int raced = 0;
    for (int session = 0; session < 12; ++session) {
        TempTree fresh{{"A/x", content}, {"B/x", content}};
        // The saver writes its new file beside the searched folders: zwf may rightly delete a new
        // file of the same bytes as the copy that it finds in them.
        const std::string copy = Quoted(fresh.Path("B/x")), lost = Quoted(fresh.Path("verloren"));
        const std::string next = Quoted(fresh.Path("x.neu"));
        const std::string same = "[ \"$(stat -c %i " + copy + " 2>/dev/null)\" = \"$last\" ]";
        const std::string saver = "sleep 0.0" + std::to_string(session % 10) + "; last=; until [ -e " +
                                  Quoted(fresh.Path("halt")) + " ]; do if [ -n \"$last\" ] && ! " + same +
                                  "; then sleep 0.05; " + same + " || touch " + lost + "; fi; printf neu > " + next +
                                  " && last=$(stat -c %i " + next + ") && mv " + next + " " + copy +
                                  " && touch " + Quoted(fresh.Path("gespeichert")) + "; done";
        const Outcome run =
            RunCommand(scratch, "( " + saver + " ) & " + std::string(ZWF_BINARY) + " --delete " +
                                    Quoted(fresh.Path("A")) + " " + Quoted(fresh.Path("B")) + "; touch " +
                                    Quoted(fresh.Path("halt")) + "; wait");
        EXPECT_FALSE(fresh.Exists("verloren")) << "session " << session << ": " << run.out << run.err;
        EXPECT_EQ(fresh.Read("A/x"), content);
        if (fresh.Exists("gespeichert")) {
            EXPECT_EQ(fresh.Read("B/x"), "neu") << "session " << session;  // the newest save
            raced += run.out.find("gelöscht: ") != std::string::npos;
        }
    }
    std::printf("%d of 12 sessions deleted the copy while saves came\n", raced);
}

// A group with no copy below the folder to keep is left alone and named.
TEST_F(Zwf, AGroupWithNoCopyInTheFolderToKeepIsLeftAlone) {
    const Outcome run = RunZwf(scratch, "--delete --keep in:" + Quoted(tree.Path("A/sub")) + " " + A + " " + B);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(tree.Exists("B/big2"));
    EXPECT_FALSE(tree.Exists("B/a.txt"));
    EXPECT_NE(run.err.find("bleibt, wie sie ist"), std::string::npos) << run.err;
}

TEST_F(Zwf, AFolderWhoseNameLooksLikeAnOptionIsTakenAfterTwoDashes) {
    tree.Write("-m/x", "1");
    tree.Write("-m/y", "1");
    Outcome run = RunZwf(scratch, "-- " + Quoted(tree.Path("-m")));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, tree.Path("-m/x") + "\n" + tree.Path("-m/y") + "\n\n");
}

}  // namespace
}  // namespace zwf
