// Deletes racing real programs and real file systems: a process saving over the marked file or
// exchanging its name with another, a second view of the same folder through FUSE, and a file
// system whose clock is too coarse to show a rewrite.
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/DeletePlan.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "tests/support/TempTree.h"

namespace zwf::test {
namespace {

using ::testing::IsEmpty;

volatile std::sig_atomic_t g_stop = 0;
void OnStop(int) { g_stop = 1; }

// A second process doing one change to the disk over and over, from when it is started until it
// is stopped; each change is whole when it stops. Only system calls run in it.
class Racer {
public:
    // step returns false when it failed; the process then just tries again.
    template <class Step>
    explicit Racer(Step step) {
        m_pid = ::fork();
        if (m_pid != 0)
            return;
        std::signal(SIGTERM, OnStop);
        int done = 0;
        while (!g_stop)
            done += step() ? 1 : 0;
        ::_exit(done > 0 ? 1 : 0);
    }
    // Stops the process; its exit status: 1 when it made its change at least once, else 0, or
    // whatever the step ended it with.
    int Stop() {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ~Racer() {
        if (m_pid > 0)
            Stop();
    }

private:
    pid_t m_pid = -1;
};

struct Searched {
    std::unique_ptr<FileSystem> fileSystem = MakeNativeFileSystem();
    Catalogue catalogue{'/'};
    explicit Searched(const std::vector<std::string>& folders) {
        for (const std::string& folder : folders)
            ScanFolder(catalogue, *fileSystem, folder);
        for (const UnreadFile& file : FindDuplicates(catalogue, *fileSystem).unread)
            ADD_FAILURE() << "the search could not read " << catalogue.FullPath(catalogue.allFiles[file.file]) << ": " << file.error.message();
    }
    // Deletes copy k of the first group as "Lösche markierte Datei" does.
    DeleteResult DeleteMarked(int k) {
        return ExecutePlan(*PlanDeleteMarked(catalogue, 0, k), catalogue, *fileSystem).front();
    }
};

std::vector<std::string> PrivateNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".zwf-"))
            names.push_back(entry.path().string());
    return names;
}

bool WriteFile(const char* path, const char* contents, std::size_t size) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, contents, size) == static_cast<ssize_t>(size);
    return ::close(fd) == 0 && written;
}

// How many sessions each race runs here; the bench script runs thousands.
int Tries() {
    const char* tries = std::getenv("ZWF_RACE_TRIES");
    return tries ? std::atoi(tries) : 150;
}

// Saves over path again and again the usual way, a new file of the same size renamed over the
// name, as an editor saving often would. Before each save it looks for its last one: when that is
// gone, and not back within 50 ms, it was lost, and the process ends at once.
class Saver {
public:
    enum Outcome { NoSave = 0, Saved = 1, Lost = 2 };
    explicit Saver(const std::string& path) : m_path(path), m_temporary(path + ".tmp") {}
    int operator()() {
        if (m_last != 0 && !Present() && (::usleep(50000), !Present()))
            ::_exit(Lost);
        const int fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        struct stat info {};
        const bool written = fd >= 0 && ::write(fd, "zz", 2) == 2 && ::fstat(fd, &info) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!written || ::rename(m_temporary.c_str(), m_path.c_str()) != 0)
            return false;
        m_last = info.st_ino;
        return true;
    }

private:
    bool Present() const {
        struct stat info {};
        return ::stat(m_path.c_str(), &info) == 0 && info.st_ino == m_last;
    }
    std::string m_path, m_temporary;
    ino_t m_last = 0;
};

// A program saving over the marked file while the delete runs never loses a save.
TEST(DeleteRace, AProgramSavingOverTheMarkedFileNeverLosesItsSave) {
    int raced = 0;
    for (int attempt = 0; attempt < Tries(); ++attempt) {
        TempTree tree{{"1/b", "bb"}, {"2/b", "bb"}};
        Searched searched({tree.Path()});
        ASSERT_EQ(searched.catalogue.groups.size(), 1u);
        Saver save(tree.Path("1/b"));
        Racer saver([&] { return save(); });
        const DeleteResult result = searched.DeleteMarked(0);
        const int outcome = saver.Stop();
        EXPECT_NE(outcome, Saver::Lost) << "try " << attempt;
        raced += outcome == Saver::Saved && result == DeleteResult::Deleted;
        EXPECT_EQ(tree.Read("2/b"), "bb");
        EXPECT_THAT(PrivateNames(tree.Path()), IsEmpty());
    }
    std::printf("%d of %d sessions deleted the copy while saves came\n", raced, Tries());
}

// A program exchanging the marked file's name with a unique file's, over and over: the unique
// file is never what goes.
TEST(DeleteRace, AProgramExchangingNamesNeverCostsTheUniqueFile) {
    for (int attempt = 0; attempt < Tries(); ++attempt) {
        TempTree tree{{"1/b", "bb"}, {"1/c", "cc"}, {"2/b", "bb"}};
        Searched searched({tree.Path()});
        ASSERT_EQ(searched.catalogue.groups.size(), 1u);
        const std::string b = tree.Path("1/b"), c = tree.Path("1/c");
        Racer exchanger([&] { return ::renameat2(AT_FDCWD, b.c_str(), AT_FDCWD, c.c_str(), RENAME_EXCHANGE) == 0; });
        searched.DeleteMarked(0);
        exchanger.Stop();
        int unique = 0;
        for (const auto& entry : std::filesystem::directory_iterator(tree.FsPath("1")))
            unique += tree.Read("1/" + entry.path().filename().string()) == "cc";
        EXPECT_EQ(unique, 1) << "try " << attempt;
        EXPECT_EQ(tree.Read("2/b"), "bb");
        EXPECT_THAT(PrivateNames(tree.Path()), IsEmpty());
    }
}

// With a copy chosen to stay, only that copy may prove another is not the last of its content: a
// third copy still equal does not stand in for it.
TEST(DeleteRace, OnlyTheCopyChosenToStayProvesTheOthers) {
    TempTree tree{{"a", "gleich"}, {"b", "gleich"}, {"c", "gleich"}};
    Searched searched({tree.Path()});
    ASSERT_EQ(searched.catalogue.groups.size(), 1u);
    tree.Write("c", "anders");  // the copy to stay, rewritten with the same size
    const ActionPlan plan = PlanKeeping(CopyAction::RemoveKeepingChosen, 0, {0}, 2);
    EXPECT_EQ(ExecutePlan(plan, searched.catalogue, *searched.fileSystem).front(), DeleteResult::LastCopy);
    EXPECT_EQ(tree.Read("a"), "gleich");
}

// Mounts a file system over a folder for the life of the object; Why() tells when it could not.
class Mount {
public:
    Mount(const std::string& command, std::string target) : m_target(std::move(target)) {
        if (::geteuid() != 0) {
            m_why = "needs root";
            return;
        }
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
            m_why = "could not run: " + command;
    }
    ~Mount() {
        if (m_why.empty())
            ::umount2(m_target.c_str(), MNT_DETACH);
    }
    const std::string& Why() const { return m_why; }

private:
    std::string m_target, m_why;
};

// The same folder added once directly and once through a FUSE view of it: each file is seen
// twice, under two identities. The search takes them for one file by their inode number, size and
// times; where a file system tells no such identity, the two would be grouped, so the group is
// made here by hand: deleting either is deleting the only copy, and the delete's proof refuses.
TEST(DeleteRace, AFileSeenThroughASecondViewIsNeverDeletedAsItsOwnCopy) {
    TempTree tree{{"echt/b", "nur einmal"}};
    for (int k : {0, 1}) {
        SCOPED_TRACE(k == 0 ? "the direct name marked" : "the name in the view marked");
        // A fresh view each time: FUSE keeps what it saw of a name for a second.
        const std::string at = tree.Path("Ansicht" + std::to_string(k));
        tree.MakeFolder("Ansicht" + std::to_string(k));
        Mount view("bindfs --no-allow-other " + tree.Path("echt") + " " + at, at);
        if (!view.Why().empty())
            GTEST_SKIP() << "no FUSE view: " << view.Why();
        Searched searched({tree.Path("echt"), at});
        EXPECT_TRUE(searched.catalogue.groups.empty()) << "one file seen twice is no group";
        Catalogue& catalogue = searched.catalogue;
        ASSERT_EQ(catalogue.allFiles.size(), 2u);
        std::vector<FileTimes> seen;
        for (const FileEntry& entry : catalogue.allFiles)
            seen.push_back(searched.fileSystem->Stat(catalogue.FullPath(entry)).times);
        catalogue.AppendGroup(catalogue.allFiles[0].size, {0, 1}, seen);
        EXPECT_FALSE(IsGone(searched.DeleteMarked(k)));
        EXPECT_EQ(tree.Read("echt/b"), "nur einmal");
        EXPECT_THAT(PrivateNames(tree.Path("echt")), IsEmpty());
    }
}

// On a file system with a coarse clock (ramfs), the other copy rewritten with the same size
// within one tick keeps its identity, size and times: only its bytes show the change.
TEST(DeleteRace, ARewriteACoarseClockHidesStillKeepsTheMarkedCopy) {
    TempTree tree;
    Mount ramfs("mount -t ramfs ramfs " + tree.Path(), tree.Path());
    if (!ramfs.Why().empty())
        GTEST_SKIP() << "no ramfs: " << ramfs.Why();
    int hidden = 0;
    for (int attempt = 0; attempt < 200 && hidden < 5; ++attempt) {
        const std::string folder = "t" + std::to_string(attempt);
        tree.Write(folder + "/1/b", "bb");
        tree.Write(folder + "/2/b", "bb");
        const std::string other = tree.Path(folder + "/2/b");
        struct stat before {}, after {};
        ::stat(other.c_str(), &before);
        Searched searched({tree.Path(folder)});
        ASSERT_TRUE(WriteFile(other.c_str(), "xx", 2));
        ::stat(other.c_str(), &after);
        if (before.st_mtim.tv_nsec != after.st_mtim.tv_nsec || before.st_ctim.tv_nsec != after.st_ctim.tv_nsec ||
            before.st_mtim.tv_sec != after.st_mtim.tv_sec || before.st_ctim.tv_sec != after.st_ctim.tv_sec)
            continue;  // the rewrite fell into the next tick: the times tell, not the case here
        ++hidden;
        EXPECT_EQ(searched.DeleteMarked(0), DeleteResult::LastCopy);
        EXPECT_EQ(tree.Read(folder + "/1/b"), "bb");
    }
    if (hidden == 0)
        GTEST_SKIP() << "every rewrite here moved the file's times";
}

}  // namespace
}  // namespace zwf::test
