#include "catalogue/ListAhead.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

#include "platform/ForwardingFileSystem.h"
#include "tests/support/TempTree.h"

namespace zwf {
namespace {

using test::TempTree;

// Records which folders were listed, from any thread.
class ListingRecorder final : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    bool ListsInParallel() const override { return true; }
    FolderListing List(FolderHandle& folder) override {
        {
            std::lock_guard lock(m_mutex);
            m_listed.insert(folder.Path());
        }
        return ForwardingFileSystem::List(folder);
    }
    std::set<std::string> Listed() {
        std::lock_guard lock(m_mutex);
        return m_listed;
    }

private:
    std::mutex m_mutex;
    std::set<std::string> m_listed;
};

// Waits until `folders` were listed, or a few seconds have passed.
bool Reaches(ListingRecorder& fs, const std::set<std::string>& folders) {
    for (int i = 0; i < 500 && fs.Listed() != folders; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs.Listed() == folders;
}

// Ahead of the scan, the threads enter only what the scan would, no further than they may hold,
// and hand the scan the folders they listed; where the scan gets to a folder first, it lists it
// itself, and once it has let go of a folder, nothing in it is listed ahead any more.
TEST(ListAhead, EntersOnlyWhatTheScanWouldAndNoFurtherAheadThanAllowed) {
    TempTree tree{{"F/a/1", "1"}, {"F/a/b/2", "2"}, {"F/c/3", "3"}, {"F/skip/4", "4"}, {"Outside/5", "5"}};
    ASSERT_EQ(::symlink(tree.Path("Outside").c_str(), tree.Path("F/link").c_str()), 0);
    const int wideFolders = static_cast<int>(ListAhead::kHeld) + 24;  // more than may be held
    for (int k = 0; k < wideFolders; ++k)
        tree.MakeFolder("F/wide/w" + std::to_string(100 + k));
    const auto native = MakeNativeFileSystem();
    ListingRecorder fs(*native);
    std::error_code error;
    std::shared_ptr<FolderHandle> start = fs.OpenFolder(tree.Path("F"), error);
    ASSERT_TRUE(start);
    const FolderListing listing = fs.List(*start);
    auto enters = [](const DirEntry&, const std::string& relative) { return relative != "skip"; };
    const auto entry = [&](const std::string& name) {
        return *std::ranges::find(listing.entries, name, &DirEntry::name);
    };
    const ListAhead::ParentFn noParent = [](std::error_code&) -> FolderHandle* { return nullptr; };

    std::set<std::string> everything{tree.Path("F"), tree.Path("F/a"), tree.Path("F/a/b"), tree.Path("F/c"),
                                     tree.Path("F/wide")};
    for (int k = 0; k < wideFolders; ++k)
        everything.insert(tree.Path("F/wide/w" + std::to_string(100 + k)));
    {
        ListAhead ahead(fs, enters, 2);
        ahead.Start(start, listing);
        // F/a, a/b and F/c, F/wide, and of wide's folders as many as may be held.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const std::size_t listed = fs.Listed().size();
        EXPECT_LE(listed, 1 + ListAhead::kHeld + 2);
        EXPECT_GE(listed, 1 + ListAhead::kHeld - 2);
        EXPECT_EQ(fs.Listed().count(tree.Path("Outside")) + fs.Listed().count(tree.Path("F/skip")), 0u);
        // The scan takes what was listed ahead, in its order, without its own handle.
        ListAhead::Listed a = ahead.Take("a", entry("a"), noParent, {});
        ASSERT_TRUE(a.folder);
        EXPECT_EQ(a.listing.entries.size(), 2u);
        ListAhead::Listed b = ahead.Take("a/b", *std::ranges::find(a.listing.entries, "b", &DirEntry::name),
                                         noParent, {});
        ASSERT_TRUE(b.folder);
        EXPECT_EQ(b.listing.entries.size(), 1u);
        ListAhead::Listed c = ahead.Take("c", entry("c"), noParent, {});
        ListAhead::Listed wide = ahead.Take("wide", entry("wide"), noParent, {});
        ASSERT_TRUE(wide.folder);
        for (const DirEntry& sub : wide.listing.entries)
            EXPECT_TRUE(ahead.Take("wide/" + sub.name, sub, [&](std::error_code&) { return wide.folder.get(); }, {})
                            .folder);
        EXPECT_TRUE(Reaches(fs, everything));
    }
    {
        // A folder the scan reaches first, it lists itself; with its parent let go, what is in it is
        // listed when the scan asks for it.
        ListingRecorder again(*native);
        ListAhead ahead(again, enters, 0);
        ahead.Start(start, listing);
        std::shared_ptr<FolderHandle> held = start;
        ListAhead::Listed a = ahead.Take("a", entry("a"), [&](std::error_code&) { return held.get(); }, {});
        ASSERT_TRUE(a.folder);
        EXPECT_EQ(again.Listed(), (std::set<std::string>{tree.Path("F/a")}));
    }
}
}  // namespace
}  // namespace zwf
