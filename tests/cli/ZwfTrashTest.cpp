// zwf --trash checked with a trash implementation of others (trash-cli): what zwf puts into the
// desktop's trash is listed with its original path and comes back under its name.
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
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
namespace fs = std::filesystem;

class Trash : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v trash-list >/dev/null && command -v trash-restore >/dev/null") != 0)
            GTEST_SKIP() << "trash-cli is not installed";
    }
    // The user's trash and state folders in scratch, for zwf and trash-cli alike.
    std::string Env() const {
        return "XDG_DATA_HOME=" + Quoted(scratch.Path("daten")) + " XDG_STATE_HOME=" + Quoted(scratch.Path("zustand")) +
               " ";
    }
    Outcome TrashList() const { return RunCommand(scratch, Env() + "trash-list"); }
    // A tmpfs mounted at tree's folder name, for a file system other than the home trash's.
    bool Mount(const std::string& name, const std::string& options = "") {
        tree.MakeFolder(name);
        mounted = tree.Path(name);
        return ::geteuid() == 0 &&
               std::system(("mount -t tmpfs " + options + " tmpfs " + Quoted(mounted) + " 2>/dev/null").c_str()) == 0;
    }
    void TearDown() override {
        if (!mounted.empty())
            std::system(("umount " + Quoted(mounted) + " 2>/dev/null").c_str());
    }

    TempTree tree{{"A/a", "gleich"}, {"B/a", "gleich"}, {"B/b c%", "gleich"}, {"B/eigen", "anders"}};
    TempTree scratch;
    std::string mounted;
};

TEST_F(Trash, CopiesGoToTheHomeTrashAndComeBackWithTrashRestore) {
    const Outcome run = RunZwf(scratch, "--trash " + Quoted(tree.Path("A")) + " " + Quoted(tree.Path("B")), Env());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "behalten: " + tree.Path("A/a") + "\nin den Papierkorb: " + tree.Path("B/a") +
                           "\nin den Papierkorb: " + tree.Path("B/b c%") + "\n\n2 Kopien in den Papierkorb gelegt, 12 Bytes\n");
    EXPECT_FALSE(tree.Exists("B/a"));
    const Outcome listed = TrashList();
    for (const char* name : {"B/a", "B/b c%"})
        EXPECT_NE(listed.out.find(" " + tree.Path(name) + "\n"), std::string::npos) << listed.out;
    const Outcome restored = RunCommand(scratch, "echo 0 | " + Env() + "trash-restore " + Quoted(tree.Path("B/b c%")));
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(tree.Read("B/b c%"), "gleich");
    EXPECT_EQ(TrashList().out.find(tree.Path("B/b c%")), std::string::npos);
    EXPECT_EQ(tree.Read("B/eigen"), "anders");
}

// A copy on another file system goes to that mount's trash: .Trash/$uid where .Trash is a folder
// with the sticky bit, never through a link or into one without it; .Trash-$uid otherwise.
TEST_F(Trash, ACopyOnAnotherFileSystemGoesToThatMountsTrash) {
    const std::string uid = std::to_string(::geteuid());
    const struct {
        const char* setup;  // run in the mount's top folder first
        std::string trash;
    } kCases[] = {
        {"true", ".Trash-" + uid},
        {"mkdir .Trash && chmod 1777 .Trash", ".Trash/" + uid},
        {"mkdir .Trash && chmod 0777 .Trash", ".Trash-" + uid},
        {"mkdir -m 1777 ../elsewhere && ln -s ../elsewhere .Trash", ".Trash-" + uid},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.setup);
        if (!Mount("C"))
            GTEST_SKIP() << "cannot mount a tmpfs here";
        tree.Write("C/unten/x", "gleich");
        ASSERT_EQ(RunCommand(scratch, "cd " + Quoted(mounted) + " && " + c.setup).status, 0);
        const Outcome run = RunZwf(scratch, "--trash " + Quoted(tree.Path("A")) + " " + Quoted(mounted), Env());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(tree.Read("C/" + c.trash + "/files/x"), "gleich");
        EXPECT_TRUE(tree.Exists("C/" + c.trash + "/info/x.trashinfo"));
        EXPECT_NE(TrashList().out.find(" " + tree.Path("C/unten/x") + "\n"), std::string::npos);
        TearDown();
        fs::remove_all(tree.FsPath("elsewhere"));
    }
}

// Where no trash can be made on the copy's file system (its top folder is another user's), the
// copy goes back under its name and is named with the reason.
TEST_F(Trash, ACopyNoTrashTakesIsPutBackAndNamed) {
    if (!Mount("C", "-o mode=0755"))
        GTEST_SKIP() << "cannot mount a tmpfs here";
    tree.Write("C/eigen/x", "gleich");
    tree.Write("C/eigen/y", "gleich");
    fs::permissions(tree.FsPath(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    ASSERT_EQ(std::system(("chown -R 65534:65534 " + Quoted(tree.Path("C/eigen"))).c_str()), 0);
    const Outcome run = RunZwf(scratch, "--trash " + Quoted(tree.Path("C/eigen")),
                               "XDG_DATA_HOME=/nonexistent XDG_STATE_HOME=/nonexistent setpriv --reuid=65534 "
                               "--regid=65534 --clear-groups ");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zwf: " + tree.Path("C/eigen/y") +
                           ": nicht in den Papierkorb: kein Papierkorb auf ihrem Dateisystem (keine Berechtigung); "
                           "sie liegt wieder unter ihrem Namen\n");
    EXPECT_EQ(tree.Read("C/eigen/y"), "gleich");
    EXPECT_EQ(std::distance(fs::directory_iterator(tree.FsPath("C/eigen")), fs::directory_iterator()), 2);
}

// zwf --trash killed at each call that changes the disk in turn, before it is made (strace
// injects the kill), then started again: every copy is under its name or in the trash with its
// record, no private name is left and no record without its file.
TEST_F(Trash, AKillAtAnyInstantLosesNothingAndLeavesNoRecordWithoutItsFile) {
    if (std::system("command -v strace >/dev/null") != 0)
        GTEST_SKIP() << "strace is not installed";
    const std::string folders = Quoted(tree.Path("A")) + " " + Quoted(tree.Path("B"));
    const fs::path trash = scratch.FsPath("daten/Trash");
    int kills = 0;
    for (const char* call : {"mkdirat", "openat", "write", "fsync", "renameat2", "linkat", "unlinkat"}) {
        for (int at = 1;; ++at) {
            SCOPED_TRACE(std::string(call) + " #" + std::to_string(at));
            fs::remove_all(trash);
            for (const char* name : {"B/a", "B/b c%"})
                tree.Write(name, "gleich");
            const Outcome run = RunCommand(scratch, Env() + "strace -f -o /dev/null -e trace=" + call + " -e inject=" +
                                                        call + ":signal=KILL:when=" + std::to_string(at) + " " +
                                                        std::string(ZWF_BINARY) + " --trash " + folders);
            const Outcome again = RunZwf(scratch, "-m " + folders, Env());
            EXPECT_NE(again.status, 2) << again.err;
            const std::string listed = TrashList().out;
            for (const char* name : {"B/a", "B/b c%"}) {
                const bool inTrash = listed.find(" " + tree.Path(name) + "\n") != std::string::npos;
                EXPECT_NE(tree.Exists(name), inTrash) << name << "\n" << listed;
                if (tree.Exists(name)) {
                    EXPECT_EQ(tree.Read(name), "gleich");
                }
            }
            for (const auto& entry : fs::directory_iterator(tree.FsPath("B")))
                EXPECT_FALSE(entry.path().filename().string().starts_with(".zwf-")) << entry.path();
            if (fs::exists(trash / "info")) {
                for (const auto& record : fs::directory_iterator(trash / "info"))
                    EXPECT_TRUE(fs::exists(trash / "files" / record.path().stem())) << record.path();
            }
            if (run.status != 128 + 9)
                break;
            ++kills;
        }
    }
    EXPECT_GT(kills, 20);
    std::printf("zwf --trash killed at %d instants\n", kills);
}

}  // namespace
}  // namespace zwf
