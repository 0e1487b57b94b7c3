#include "catalogue/ReadAhead.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

// Waits until the read-ahead has listed `entries`, or a few seconds have passed.
bool Reaches(FolderReadAhead& ahead, std::size_t entries) {
    for (int i = 0; i < 500 && ahead.Listed() < entries; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ahead.Listed() == entries;
}

TEST(FolderReadAhead, EntersOnlyWhatTheScanWouldAndNoFurtherAheadThanAllowed) {
    TempTree tree{{"F/a/1", "1"}, {"F/a/b/2", "2"}, {"F/c/3", "3"}, {"F/skip/4", "4"}, {"Outside/5", "5"}};
    ASSERT_EQ(::symlink(tree.Path("Outside").c_str(), tree.Path("F/link").c_str()), 0);
    const auto native = MakeNativeFileSystem();
    ListingRecorder fs(*native);
    std::error_code error;
    std::shared_ptr<FolderHandle> start = fs.OpenFolder(tree.Path("F"), error);
    ASSERT_TRUE(start);
    auto enters = [](const DirEntry&, const std::string& relative) { return relative != "skip"; };
    const std::set<std::string> everything{tree.Path("F"), tree.Path("F/a"), tree.Path("F/a/b"), tree.Path("F/c")};

    {
        // F's four entries, then a's two, b's one, c's one.
        FolderReadAhead ahead(fs, start, enters, 3);
        ASSERT_TRUE(Reaches(ahead, 8)) << ahead.Listed();
        EXPECT_EQ(fs.Listed(), everything);
    }
    {
        // Allowed one entry ahead of a scan that has listed nothing: F only, until the scan goes on.
        ListingRecorder again(*native);
        FolderReadAhead ahead(again, start, enters, 3, 0, 1);
        ASSERT_TRUE(Reaches(ahead, 4));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(ahead.Listed(), 4u);
        EXPECT_EQ(again.Listed(), std::set<std::string>{tree.Path("F")});
        ahead.Walked(100);
        ASSERT_TRUE(Reaches(ahead, 8)) << ahead.Listed();
        EXPECT_EQ(again.Listed(), everything);
    }
}

}  // namespace
}  // namespace zwf
