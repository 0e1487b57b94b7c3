// Folder scan cases that need POSIX file kinds: links, FIFOs, sockets, byte names, very deep trees.
#include "catalogue/ScanFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <mutex>

#include "platform/ForwardingFileSystem.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/TempTree.h"

namespace zwf {
namespace {

using test::TempTree;
using ::testing::ElementsAre;

std::vector<std::string> FullPaths(const Catalogue& catalogue) {
    std::vector<std::string> paths;
    for (const FileEntry& entry : catalogue.allFiles)
        paths.push_back(catalogue.FullPath(entry));
    return paths;
}

TEST(ScanFolderPosix, LinksFifosAndSocketsAreNeitherCataloguedNorEntered) {
    TempTree tree{{"D/real.txt", "r"}, {"Outside/secret.txt", "s"}};
    ASSERT_EQ(::symlink(tree.Path("D/real.txt").c_str(), tree.Path("D/link-to-file").c_str()), 0);
    ASSERT_EQ(::symlink(tree.Path("Outside").c_str(), tree.Path("D/link-to-folder").c_str()), 0);
    ASSERT_EQ(::symlink(tree.Path("D").c_str(), tree.Path("D/loop").c_str()), 0);
    ASSERT_EQ(::mkfifo(tree.Path("D/fifo").c_str(), 0600), 0);
    int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string socketPath = tree.Path("D/sock");
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    auto fs = MakeNativeFileSystem();
    Catalogue catalogue(fs->Separator());
    ScanReport report = ScanFolder(catalogue, *fs, tree.Path("D"));
    ::close(sock);

    EXPECT_THAT(FullPaths(catalogue), ElementsAre(tree.Path("D/real.txt")));
    EXPECT_EQ(report.othersSkipped, 5u);
}

TEST(ScanFolderPosix, AStartFolderGivenAsALinkIsFollowed) {
    TempTree tree{{"Real/a", "1"}};
    ASSERT_EQ(::symlink(tree.Path("Real").c_str(), tree.Path("Link").c_str()), 0);
    auto fs = MakeNativeFileSystem();
    Catalogue catalogue(fs->Separator());
    ScanFolder(catalogue, *fs, tree.Path("Link"));
    EXPECT_THAT(FullPaths(catalogue), ElementsAre(tree.Path("Link/a")));
}

TEST(ScanFolderPosix, NamesAreKeptAsBytesAndInByteOrder) {
    TempTree tree;
    tree.MakeFolder("D");
    const std::string latin1 = "caf\xe9";  // not UTF-8
    for (std::string name : {std::string("b"), latin1, std::string("B"), std::string("a")}) {
        int fd = ::open((tree.Path("D") + "/" + name).c_str(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    auto fs = MakeNativeFileSystem();
    Catalogue catalogue(fs->Separator());
    ScanFolder(catalogue, *fs, tree.Path("D"));
    std::vector<std::string> names;
    for (const FileEntry& entry : catalogue.allFiles)
        names.push_back(entry.name);
    EXPECT_THAT(names, ElementsAre("B", "a", "b", latin1));

    // The bytes lead back to the file.
    std::error_code error;
    EXPECT_NE(fs->OpenRead(catalogue.FullPath(catalogue.allFiles[3]), error), nullptr);
    EXPECT_FALSE(fs->Delete(catalogue.FullPath(catalogue.allFiles[3])));
}

// A root folder keeps its separator in the folder text given, loses it in the catalogue, and
// its files read "/name".
class RootOnly final : public FileSystem {
public:
    char Separator() const override { return '/'; }
    bool IsRoot(std::string_view folder) const override { return folder == "/"; }
    std::unique_ptr<FolderHandle> OpenFolder(const std::string& folder, std::error_code&) override {
        return std::make_unique<FolderHandle>(folder, FileIdentity{});
    }
    std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name, const FileIdentity&,
                                                std::error_code&) override {
        return std::make_unique<FolderHandle>(parent.Path() + "/" + name, FileIdentity{});
    }
    FolderListing List(FolderHandle& handle) override {
        const std::string& folder = handle.Path();
        listed.push_back(folder);
        if (folder.empty())
            return {{DirEntry{"etc", EntryKind::Folder, 0, {}}, DirEntry{"vmlinuz", EntryKind::File, 7, {1, 2}}}, {}};
        if (folder == "/etc")
            return {{DirEntry{"hosts", EntryKind::File, 3, {1, 3}}}, {}};
        return {{}, std::make_error_code(std::errc::no_such_file_or_directory)};
    }
    FileStatus StatIn(FolderHandle&, const std::string&) override { return {}; }
    std::unique_ptr<AsideFile> MoveAside(FolderHandle&, const std::string&, std::error_code& error) override {
        error = std::make_error_code(std::errc::not_supported);
        return nullptr;
    }
    std::unique_ptr<ReadableFile> OpenRead(const std::string&, std::error_code& error) override {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return nullptr;
    }
    std::vector<std::string> listed;
};

// A folder of more names than the listing sorts in one run: its steps still give byte order, and
// the scan reports progress while the folder is listed, before a file of it is catalogued.
TEST(ScanFolderPosix, ALargeFolderIsListedInByteOrderWithProgressWhileItIsRead) {
    TempTree tree;
    constexpr int kFiles = 12000;
    std::vector<std::string> names;
    for (int i = 0; i < kFiles; ++i) {
        names.push_back(std::to_string(i * 7919 % kFiles));  // "10" before "9": bytes, not numbers
        tree.Write("Gross/" + names.back(), "");
    }
    std::sort(names.begin(), names.end());
    auto fs = MakeNativeFileSystem();
    Catalogue catalogue(fs->Separator());
    int whileListed = 0;
    ScanFolder(catalogue, *fs, tree.Path("Gross"), [&](std::size_t found) { whileListed += found == 0; });
    std::vector<std::string> catalogued;
    for (const FileEntry& entry : catalogue.allFiles)
        catalogued.push_back(entry.name);
    EXPECT_EQ(catalogued, names);
    EXPECT_GE(whileListed, kFiles / 1024);
}

TEST(ScanFolderPosix, TheRootIsHandledLikeADriveRoot) {
    RootOnly fs;
    Catalogue catalogue(fs.Separator());
    ScanFolder(catalogue, fs, "/");
    EXPECT_THAT(fs.listed, ElementsAre("", "/etc"));
    EXPECT_THAT(FullPaths(catalogue), ElementsAre("/etc/hosts", "/vmlinuz"));
}

// Builds a chain of `depth` folders named "d" below `base`, with a file at the bottom, using
// descriptors so that no path is ever longer than one name.
void MakeDeepChain(const std::string& base, int depth) {
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    std::vector<int> chain{fd};
    for (int level = 0; level < depth; ++level) {
        ASSERT_EQ(::mkdirat(chain.back(), "d", 0700), 0);
        int next = ::openat(chain.back(), "d", O_RDONLY | O_DIRECTORY);
        ASSERT_GE(next, 0);
        if (chain.size() > 1) {  // keep only the descriptors needed, to stay within the limit
            ::close(chain.front());
            chain.erase(chain.begin());
        }
        chain.push_back(next);
    }
    int file = ::openat(chain.back(), "bottom.txt", O_CREAT | O_WRONLY, 0600);
    ASSERT_EQ(::write(file, "deep", 4), 4);
    ::close(file);
    for (int held : chain)
        ::close(held);
}

// Removes the chain by lifting each level's child into its place, so no descriptor stack is needed.
void RemoveDeepChain(const std::string& base, int depth) {
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = depth; level > 1; --level) {
        ::renameat(fd, "d/d", fd, "lifted");
        ::unlinkat(fd, "d", AT_REMOVEDIR);
        ::renameat(fd, "lifted", fd, "d");
    }
    ::unlinkat(fd, "d/bottom.txt", 0);
    ::unlinkat(fd, "d", AT_REMOVEDIR);
    ::close(fd);
}

TEST(ScanFolderPosix, ATreeTenThousandLevelsDeepIsScannedAndItsFileCanBeOpenedAndDeleted) {
    constexpr int kDepth = 10'000;
    TempTree tree;
    tree.MakeFolder("D");
    MakeDeepChain(tree.Path("D"), kDepth);

    auto fs = MakeNativeFileSystem();
    Catalogue catalogue(fs->Separator());
    ScanReport report = ScanFolder(catalogue, *fs, tree.Path("D"));
    ASSERT_EQ(catalogue.allFiles.size(), 1u);
    EXPECT_EQ(report.foldersSkipped, 0u);
    const std::string deepPath = catalogue.FullPath(catalogue.allFiles[0]);
    EXPECT_GT(deepPath.size(), static_cast<std::size_t>(PATH_MAX) * 4);
    EXPECT_EQ(catalogue.allFiles[0].size, 4u);

    FileStatus status = fs->Stat(deepPath);
    EXPECT_FALSE(status.error);
    EXPECT_EQ(status.size, 4u);
    std::error_code error;
    auto file = fs->OpenRead(deepPath, error);
    ASSERT_NE(file, nullptr) << error.message();
    std::array<std::byte, 16> buffer{};
    EXPECT_EQ(file->Read(buffer, error), 4u);
    file.reset();
    EXPECT_FALSE(fs->Delete(deepPath));
    EXPECT_TRUE(fs->Stat(deepPath).error);

    RemoveDeepChain(tree.Path("D"), kDepth);
}

// Deeper than the folders a scan holds open: on the way back up, the shallow folders are opened
// again from the start folder, and each must still be the folder the scan entered.
TEST(ScanFolderPosix, FoldersOpenedAgainOnTheWayBackUpAreCheckedAgain) {
    constexpr int kDepth = 40;
    TempTree tree{{"O/b/o", "outside"}};
    std::string chain = "D";
    for (int level = 0; level < kDepth; ++level) {
        chain += "/a";
        tree.Write(chain + "/b/f", "f");  // entered only after the deeper chain below
    }
    auto native = MakeNativeFileSystem();
    test::FaultyFileSystem fs(*native);
    Catalogue intact(fs.Separator());
    EXPECT_TRUE(ScanFolder(intact, fs, tree.Path("D")).problems.empty());
    EXPECT_EQ(intact.allFiles.size(), static_cast<std::size_t>(kDepth));

    // When the walk is at its deepest, D/a is swapped for a link to O.
    fs.BeforeOpenSubfolder([&](const std::string& path) {
        if (path == tree.Path(chain + "/b") && !tree.Exists("D/a.alt")) {
            std::filesystem::rename(tree.FsPath("D/a"), tree.FsPath("D/a.alt"));
            std::filesystem::create_directory_symlink(tree.FsPath("O"), tree.FsPath("D/a"));
        }
    });
    Catalogue swapped(fs.Separator());
    ScanReport report = ScanFolder(swapped, fs, tree.Path("D"));
    for (const FileEntry& entry : swapped.allFiles)
        EXPECT_EQ(entry.name, "f") << swapped.FullPath(entry);
    EXPECT_LT(swapped.allFiles.size(), static_cast<std::size_t>(kDepth));  // the shallow ones were refused
    EXPECT_FALSE(report.problems.empty());
}


// Records the folders a scan opens, from any thread; one named "refused" cannot be opened.
class OpeningRecorder final : public ForwardingFileSystem {
public:
    OpeningRecorder(FileSystem& inner, bool parallel) : ForwardingFileSystem(inner), m_parallel(parallel) {}
    bool ListsInParallel() const override { return m_parallel; }
    std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name,
                                                const FileIdentity& expected, std::error_code& error) override {
        {
            std::lock_guard lock(m_mutex);
            m_opened.push_back(parent.Path() + "/" + name);
        }
        if (name == "refused") {
            error = std::make_error_code(std::errc::permission_denied);
            return nullptr;
        }
        return ForwardingFileSystem::OpenSubfolder(parent, name, expected, error);
    }
    // Each folder once: a walk that dropped its handle opens it again.
    std::vector<std::string> Opened() {
        std::lock_guard lock(m_mutex);
        std::ranges::sort(m_opened);
        m_opened.erase(std::unique(m_opened.begin(), m_opened.end()), m_opened.end());
        return m_opened;
    }

private:
    const bool m_parallel;
    std::mutex m_mutex;
    std::vector<std::string> m_opened;
};

// Subfolders listed ahead on other threads are taken in the walk's own order: the same catalogue,
// the same report and the same folders opened as a walk that lists every folder itself, also
// with descriptors for little more than the folders the walk holds itself (listing ahead only
// ever saves time). The tree has more subfolders in one folder than are listed ahead at once,
// excluded folders at several depths, a folder that cannot be opened, and a chain deeper than the
// folders held open.
TEST(ScanFolderPosix, FoldersListedAheadGiveWhatAWalkListingEachItselfGives) {
    TempTree tree{{"F/top.txt", "t"}, {"F/skip/no.txt", "n"}, {"F/wide/w05/refused/no.txt", "n"},
                  {"F/wide/w07/inner/skipped/no.txt", "n"}, {"F/wide/w07/inner/kept/yes.txt", "y"}};
    for (int k = 0; k < 40; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "F/wide/w%02d/f", k);
        tree.Write(name, std::string(static_cast<std::size_t>(k), 'x'));
    }
    std::string chain = "F/deep";
    for (int level = 0; level < 40; ++level) {
        chain += "/a";
        tree.Write(chain + "/b/f", std::string(level % 7, 'y'));
    }
    const ScanFilter filter{0, UINT64_MAX, {"skip", "wide/w07/inner/skip*"}, false};
    auto native = MakeNativeFileSystem();
    struct Result {
        std::vector<std::string> files, opened, problems;
        std::vector<std::uint64_t> sizes;
        std::size_t added, filtered, skipped;
    };
    auto scan = [&](bool parallel, bool scarce = false) {
        OpeningRecorder fs(*native, parallel);
        Catalogue catalogue(fs.Separator());
        rlimit before{};
        EXPECT_EQ(::getrlimit(RLIMIT_NOFILE, &before), 0);
        rlimit limit = before;
        if (scarce) {
            const auto open = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
            limit.rlim_cur = static_cast<rlim_t>(open) + 40;
        }
        EXPECT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
        const ScanReport report = ScanFolder(catalogue, fs, tree.Path("F"), {}, filter);
        ::setrlimit(RLIMIT_NOFILE, &before);
        Result result{FullPaths(catalogue), fs.Opened(), {}, {}, report.filesAdded, report.filteredOut,
                      report.foldersSkipped};
        for (const FileEntry& entry : catalogue.allFiles)
            result.sizes.push_back(entry.size);
        for (const ScanProblem& problem : report.problems)
            result.problems.push_back(problem.folder + ": " + problem.error.message());
        return result;
    };
    const Result serial = scan(false);
    EXPECT_EQ(serial.files.size(), 1u + 40u + 1u + 40u);
    EXPECT_THAT(serial.problems, ElementsAre(tree.Path("F/wide/w05/refused") + ": " +
                                             std::make_error_code(std::errc::permission_denied).message()));
    for (const bool scarce : {false, true}) {
        SCOPED_TRACE(scarce ? "short of descriptors" : "descriptors enough");
        const Result ahead = scan(true, scarce);
        EXPECT_EQ(ahead.files, serial.files);
        EXPECT_EQ(ahead.sizes, serial.sizes);
        EXPECT_EQ(ahead.opened, serial.opened);
        EXPECT_EQ(ahead.problems, serial.problems);
        EXPECT_EQ(std::tie(ahead.added, ahead.filtered, ahead.skipped),
                  std::tie(serial.added, serial.filtered, serial.skipped));
    }
}

}  // namespace
}  // namespace zwf
