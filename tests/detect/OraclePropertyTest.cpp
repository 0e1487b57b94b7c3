// The engine against the plain pairwise pass on random trees.
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/detect/SearchFixture.h"
#include "tests/support/PairwiseOracle.h"
#include "tests/support/Pattern.h"

namespace zwf {
namespace {

using test::Search;
using test::TempTree;

// Sizes around the boundaries where a staged search changes how it reads.
constexpr std::array<std::size_t, 7> kSizes{1, 2, 4095, 4096, 4097, 65537, 300001};
const std::array<std::string, 4> kFolders{"r", "r/f0", "r/f1", "r/f1/sub"};

std::string Contents(int base, std::size_t size, int variant) {
    std::string bytes = test::Pattern(size, static_cast<unsigned>(base));
    if (variant == 2)
        bytes.front() ^= 0x40;
    if (variant == 3)
        bytes.back() ^= 0x40;
    return bytes;
}

// Writes count random files; some empty, some hard links to earlier ones, most drawn from a few
// contents with exact copies and near-copies differing in the first or last byte.
std::vector<std::string> WriteRandomFiles(const TempTree& tree) {
    const int count = *rc::gen::inRange(0, 22);
    std::vector<std::string> written;
    for (int i = 0; i < count; ++i) {
        const std::string path = kFolders[*rc::gen::inRange<std::size_t>(1, kFolders.size())] + "/n" + std::to_string(i);
        const int kind = *rc::gen::inRange(0, 12);
        if (kind == 0) {
            tree.Write(path, "");
        } else if (kind == 1 && !written.empty()) {
            const std::string& target = written[*rc::gen::inRange<std::size_t>(0, written.size())];
            std::filesystem::create_hard_link(tree.FsPath(target), tree.FsPath(path));
        } else {
            const std::size_t size = kSizes[*rc::gen::inRange<std::size_t>(0, kSizes.size())];
            tree.Write(path, Contents(*rc::gen::inRange(0, 3), size, *rc::gen::inRange(0, 4)));
        }
        written.push_back(path);
    }
    return written;
}

// Some files change after the scan: removed, grown by a byte, or cut short by one.
void ChangeSomeFiles(const TempTree& tree, const std::vector<std::string>& files) {
    for (const std::string& path : files) {
        const int change = *rc::gen::inRange(0, 20);
        std::string bytes = tree.Read(path);
        if (change == 0)
            std::filesystem::remove(tree.FsPath(path));
        else if (change == 1)
            tree.Write(path, bytes + "+");
        else if (change == 2 && !bytes.empty())
            tree.Write(path, bytes.substr(0, bytes.size() - 1));
    }
}

RC_GTEST_PROP(EngineAgainstPairwisePass, SameGroupsOnRandomTrees, ()) {
    TempTree tree;
    for (const std::string& folder : kFolders)
        tree.MakeFolder(folder);
    const auto files = WriteRandomFiles(tree);
    Search search(tree);
    const int scans = *rc::gen::inRange(1, 4);
    for (int i = 0; i < scans; ++i)
        search.Add(kFolders[*rc::gen::inRange<std::size_t>(0, kFolders.size())]);
    ChangeSomeFiles(tree, files);

    const auto expected = test::PairwiseGroups(search.catalogue, *search.fs);
    search.Run();
    RC_ASSERT(test::GroupsOf(search.catalogue) == expected);
}

}  // namespace
}  // namespace zwf
