#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/FileSystemContract.h"

namespace zwf::test {
namespace {

// Folders made and removed through descriptors, one name at a time, since no call takes
// their whole path.
const std::string kSegment(200, 'o');
constexpr int kDeepLevels = PATH_MAX / 200 + 2;

struct Posix {
    static constexpr char kSeparator = '/';
    static constexpr bool kRefusesALinkToOpenRead = true;
    static std::vector<std::string> Roots() { return {"/", "//"}; }
    static std::vector<std::string> NotRoots() { return {"", "/tmp", "/tmp/", "tmp", "."}; }
    static std::string RootOf(const std::string&) { return ""; }

    static std::string LinkTree(const TempTree& scratch, std::string& whyNot) {
        scratch.Write("Ziel/a.txt", "abc");
        scratch.Write("datei.txt", "abc");
        if (::symlink("Ziel", scratch.Path("Verweis").c_str()) != 0 ||
            ::symlink("datei.txt", scratch.Path("dateilink.txt").c_str()) != 0) {
            whyNot = "symlink() failed";
            return "";
        }
        return scratch.Path();
    }
    static bool SeesEveryLink(const std::string&) { return true; }

    static std::string MakeDeepFile(const TempTree& tree, std::string_view contents) {
        std::string path = tree.Path();
        int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < kDeepLevels && fd >= 0; ++level) {
            ::mkdirat(fd, kSegment.c_str(), 0700);
            const int next = ::openat(fd, kSegment.c_str(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
            path += "/" + kSegment;
        }
        if (fd < 0)
            return "";
        const int file = ::openat(fd, "tief.txt", O_CREAT | O_WRONLY, 0600);
        const bool written = file >= 0 && ::write(file, contents.data(), contents.size()) ==
                                              static_cast<ssize_t>(contents.size());
        if (file >= 0)
            ::close(file);
        ::close(fd);
        return written ? path + "/tief.txt" : "";
    }

    static void RemoveDeepFolders(const TempTree& tree) {
        std::vector<int> chain{::open(tree.Path().c_str(), O_RDONLY | O_DIRECTORY)};
        while (chain.back() >= 0 && chain.size() <= static_cast<std::size_t>(kDeepLevels))
            chain.push_back(::openat(chain.back(), kSegment.c_str(), O_RDONLY | O_DIRECTORY));
        for (std::size_t level = chain.size() - 1; level > 0; --level) {
            if (chain[level] >= 0) {
                ::unlinkat(chain[level], "tief.txt", 0);
                ::close(chain[level]);
            }
            ::unlinkat(chain[level - 1], kSegment.c_str(), AT_REMOVEDIR);
        }
        ::close(chain.front());
    }
};

static_assert(kDeepLevels * 200 > PATH_MAX);

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Posix, FileSystemContract, ::testing::Types<Posix>);

}  // namespace zwf::test
