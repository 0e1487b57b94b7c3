#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

#include "tests/app/SessionFixture.h"

namespace zwf::test {
namespace {

const std::vector<int> kWithGroups{ctl::kAddFolder, ctl::kAllFilesList, ctl::kReset,     ctl::kSearch,
                                   ctl::kGroupList, ctl::kMemberList};
const std::vector<int> kWithFiles{ctl::kAddFolder, ctl::kAllFilesList, ctl::kReset, ctl::kSearch, ctl::kGroupList};

// Two groups: a.txt in three copies, then b in two.
class DeleteTest : public SessionTest {
protected:
    TempTree tree{{"1/a.txt", "same"}, {"1/b", "bb"}, {"2/a.txt", "same"}, {"2/b", "bb"}, {"2/kopie.txt", "same"}};

    std::string Path(std::string_view relative) const { return tree.Path(relative); }
    void SearchAndSelect(int group) {
        AddFolder(tree).Click(ctl::kSearch).Select(ctl::kGroupList, group);
    }
    void ExpectOnDisk(std::initializer_list<std::string_view> present, std::initializer_list<std::string_view> gone) {
        for (std::string_view relative : present)
            EXPECT_TRUE(tree.Exists(relative)) << relative;
        for (std::string_view relative : gone)
            EXPECT_FALSE(tree.Exists(relative)) << relative;
    }
};

TEST_F(DeleteTest, MarkedCopiesGoOneByOneUntilTheGroupDissolves) {
    SearchAndSelect(0);
    window.Select(ctl::kMemberList, 1).Click(ctl::kDeleteMarked).Check([&](HeadlessWindow& w) {
        ExpectOnDisk({"1/a.txt", "2/kopie.txt"}, {"2/a.txt"});
        EXPECT_THAT(w.Lines(ctl::kMemberList), ElementsAre(Path("1/a.txt"), Path("2/kopie.txt")));
        EXPECT_EQ(w.Selection(ctl::kMemberList), 1);
        // The group lives on and its line keeps its old text until the next search.
        EXPECT_THAT(w.Lines(ctl::kGroupList), ElementsAre("3: a.txt, a.txt, kopie.txt", "2: b, b"));
        EXPECT_EQ(w.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (2)");
    });
    // The last line goes: nothing below it, so the group dissolves and the next group is shown.
    window.Click(ctl::kDeleteMarked).Check([&](HeadlessWindow& w) {
        ExpectOnDisk({"1/a.txt"}, {"2/a.txt", "2/kopie.txt"});
        EXPECT_THAT(w.Lines(ctl::kGroupList), ElementsAre("2: b, b"));
        EXPECT_EQ(w.Selection(ctl::kGroupList), 0);
        EXPECT_THAT(w.Lines(ctl::kMemberList), ElementsAre(Path("1/b"), Path("2/b")));
        EXPECT_EQ(w.Selection(ctl::kMemberList), 0);
        EXPECT_EQ(w.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (1)");
    });
    // Deleting the first copy of the last group leaves no group at all.
    window.Click(ctl::kDeleteMarked).Check([&](HeadlessWindow& w) {
        ExpectOnDisk({"1/a.txt", "2/b"}, {"1/b"});
        EXPECT_THAT(w.Lines(ctl::kGroupList), IsEmpty());
        EXPECT_THAT(w.Lines(ctl::kMemberList), IsEmpty());
        EXPECT_EQ(w.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (0)");
        EXPECT_EQ(Enabled(w), kWithFiles);
    });
    RunSession();
    // The catalogue keeps the deleted files until a reset.
    EXPECT_EQ(window.LineTotal(ctl::kAllFilesList), 5);
}

TEST_F(DeleteTest, DeletingTheFirstCopyMakesTheSecondOneFirst) {
    SearchAndSelect(0);
    window.Click(ctl::kDeleteMarked).Select(ctl::kGroupList, 0);
    RunSession();
    ExpectOnDisk({"2/a.txt", "2/kopie.txt"}, {"1/a.txt"});
    EXPECT_THAT(window.Lines(ctl::kMemberList), ElementsAre(Path("2/a.txt"), Path("2/kopie.txt")));
}

TEST_F(DeleteTest, DissolvingTheLastGroupLineSelectsTheOneAbove) {
    SearchAndSelect(1);
    window.Click(ctl::kDeleteMarked);
    RunSession();
    ExpectOnDisk({"2/b"}, {"1/b"});
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("3: a.txt, a.txt, kopie.txt"));
    EXPECT_EQ(window.Selection(ctl::kGroupList), 0);
    EXPECT_EQ(window.LineTotal(ctl::kMemberList), 3);
}

TEST_F(DeleteTest, WholeGroupGoesWithItsOriginal) {
    SearchAndSelect(0);
    window.Click(ctl::kDeleteGroup).Check([&](HeadlessWindow& w) {
        ExpectOnDisk({"1/b", "2/b"}, {"1/a.txt", "2/a.txt", "2/kopie.txt"});
        EXPECT_THAT(w.Lines(ctl::kGroupList), ElementsAre("2: b, b"));
        EXPECT_EQ(w.Selection(ctl::kGroupList), 0);
        EXPECT_THAT(w.Lines(ctl::kMemberList), ElementsAre(Path("1/b"), Path("2/b")));
        EXPECT_EQ(w.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (1)");
    });
    window.Click(ctl::kDeleteGroup).Check([&](HeadlessWindow& w) {
        ExpectOnDisk({}, {"1/b", "2/b"});
        EXPECT_THAT(w.Lines(ctl::kGroupList), IsEmpty());
        EXPECT_THAT(w.Lines(ctl::kMemberList), IsEmpty());
        EXPECT_EQ(w.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (0)");
        EXPECT_EQ(Enabled(w), kWithFiles);
    });
    RunSession();
    EXPECT_EQ(fileSystem.DeleteCalls().size(), 5u);
}

TEST_F(DeleteTest, NothingHappensWithoutASelectedGroupOrMarkedCopy) {
    SearchAndSelect(0);
    // A new search rebuilds the groups view without a selection; the members view keeps its lines.
    window.Click(ctl::kSearch).Check([](HeadlessWindow& w) {
        EXPECT_EQ(w.Selection(ctl::kGroupList), -1);
        EXPECT_EQ(w.LineTotal(ctl::kMemberList), 3);
    });
    window.Click(ctl::kDeleteMarked).Click(ctl::kDeleteGroup);
    window.Select(ctl::kGroupList, 1).Check([](HeadlessWindow& w) { w.SelectLine(ctl::kMemberList, -1); });
    window.Click(ctl::kDeleteMarked);
    RunSession();
    EXPECT_TRUE(window.Ignored().empty());
    EXPECT_TRUE(fileSystem.DeleteCalls().empty());
    ExpectOnDisk({"1/a.txt", "2/a.txt", "2/kopie.txt", "1/b", "2/b"}, {});
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("3: a.txt, a.txt, kopie.txt", "2: b, b"));
    EXPECT_EQ(window.LineTotal(ctl::kMemberList), 2);
}

TEST_F(DeleteTest, FailedDeleteKeepsTheCopyAndItsLine) {
    fileSystem.FailDelete(Path("2/a.txt"));
    SearchAndSelect(0);
    window.Select(ctl::kMemberList, 1).Click(ctl::kDeleteMarked);
    RunSession();
    EXPECT_THAT(fileSystem.DeleteCalls(), ElementsAre(Path("2/a.txt")));
    ExpectOnDisk({"1/a.txt", "2/a.txt", "2/kopie.txt"}, {});
    EXPECT_EQ(window.LineTotal(ctl::kMemberList), 3);
    EXPECT_EQ(window.Selection(ctl::kMemberList), 1);
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("3: a.txt, a.txt, kopie.txt", "2: b, b"));
    EXPECT_EQ(window.Messages().size(), 1u);  // only the credits: failures are not announced
}

TEST_F(DeleteTest, FileAlreadyGoneCountsAsDeleted) {
    fileSystem.ReportErrorAfterDelete(Path("1/b"), std::errc::io_error);
    SearchAndSelect(0);
    window.Select(ctl::kMemberList, 2).Check([&](HeadlessWindow&) { std::filesystem::remove(tree.FsPath("2/kopie.txt")); });
    window.Click(ctl::kDeleteMarked).Select(ctl::kGroupList, 1).Click(ctl::kDeleteMarked);
    RunSession();
    EXPECT_THAT(fileSystem.DeleteCalls(), ElementsAre(Path("1/b")));  // the vanished one was not even tried
    ExpectOnDisk({"1/a.txt", "2/a.txt", "2/b"}, {"1/b", "2/kopie.txt"});
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("3: a.txt, a.txt, kopie.txt"));
    EXPECT_EQ(window.Selection(ctl::kGroupList), 0);
    EXPECT_THAT(window.Lines(ctl::kMemberList), ElementsAre(Path("1/a.txt"), Path("2/a.txt")));
}

TEST_F(DeleteTest, MarkedDeleteNeverRemovesTheLastCopyOnDisk) {
    SearchAndSelect(1);
    window.Check([&](HeadlessWindow&) { std::filesystem::remove(tree.FsPath("2/b")); });
    window.Click(ctl::kDeleteMarked).Check([&](HeadlessWindow& w) {
        ExpectOnDisk({"1/b"}, {});
        EXPECT_THAT(w.Lines(ctl::kMemberList), ElementsAre(Path("1/b"), Path("2/b")));
    });
    // The other copy changed size: it is no copy any more, so 1/b stays as well.
    window.Check([&](HeadlessWindow&) { tree.Write("2/b", "bbb"); });
    window.Click(ctl::kDeleteMarked);
    // The vanished copy itself can be taken off the lists; the group dissolves, 1/b stays.
    window.Check([&](HeadlessWindow&) { std::filesystem::remove(tree.FsPath("2/b")); });
    window.Select(ctl::kMemberList, 1).Click(ctl::kDeleteMarked);
    RunSession();
    EXPECT_TRUE(fileSystem.DeleteCalls().empty());
    ExpectOnDisk({"1/b"}, {"2/b"});
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("3: a.txt, a.txt, kopie.txt"));
}

TEST_F(DeleteTest, CopyChangedSinceTheSearchIsKept) {
    SearchAndSelect(0);
    window.Check([&](HeadlessWindow&) { tree.Write("1/a.txt", "neuer Inhalt"); });
    window.Click(ctl::kDeleteMarked).Click(ctl::kDeleteGroup);
    RunSession();
    EXPECT_EQ(tree.Read("1/a.txt"), "neuer Inhalt");
    ExpectOnDisk({"1/a.txt"}, {"2/a.txt", "2/kopie.txt"});
    // The group is gone; the changed file stays on disk, off the lists.
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("2: b, b"));
    EXPECT_EQ(window.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (1)");
}

TEST_F(DeleteTest, GroupWithTwoUndeletableCopiesStaysWithThem) {
    fileSystem.FailDelete(Path("1/a.txt"));
    fileSystem.FailDelete(Path("2/kopie.txt"), std::errc::device_or_resource_busy);
    SearchAndSelect(0);
    window.Click(ctl::kDeleteGroup);
    RunSession();
    ExpectOnDisk({"1/a.txt", "2/kopie.txt"}, {"2/a.txt"});
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("2: a.txt, kopie.txt", "2: b, b"));
    EXPECT_EQ(window.Selection(ctl::kGroupList), 0);
    EXPECT_THAT(window.Lines(ctl::kMemberList), ElementsAre(Path("1/a.txt"), Path("2/kopie.txt")));
    EXPECT_EQ(window.Text(ctl::kGroupsLabel), "Dateien mit gleichem Inhalt (2)");
}

// What another program may do to the copies between the search and a delete. Writing moves a
// file's times; the times are set apart explicitly, since a clock tick may be coarser than a test.
void Rewrite(const TempTree& tree, std::string_view relative, std::string_view contents) {
    const auto before = std::filesystem::last_write_time(tree.FsPath(relative));
    tree.Write(relative, contents);  // the same file, written over
    std::filesystem::last_write_time(tree.FsPath(relative), before - std::chrono::hours(1));
}
void Touch(const TempTree& tree, std::string_view relative) {
    const auto before = std::filesystem::last_write_time(tree.FsPath(relative));
    std::filesystem::last_write_time(tree.FsPath(relative), before + std::chrono::hours(1));
}
void Replace(const TempTree& tree, std::string_view relative, std::string_view contents) {
    const std::string fresh = std::string(relative) + ".neu";
    tree.Write(fresh, contents);
    std::filesystem::rename(tree.FsPath(fresh), tree.FsPath(relative));
}

struct ChangeCase {
    const char* what;
    int control;  // the delete button clicked, with 1/b marked in the group of b (1/b, 2/b)
    std::function<void(const TempTree&)> change;
    std::vector<std::string_view> present, gone;
};

TEST_F(DeleteTest, CopiesChangedAfterTheSearchAreNeverTakenForCopies) {
    const ChangeCase cases[] = {
        {"the other copy rewritten in place", ctl::kDeleteMarked, [](const TempTree& t) { Rewrite(t, "2/b", "xx"); },
         {"1/b", "2/b"}, {}},
        {"the other copy replaced by a new file", ctl::kDeleteMarked, [](const TempTree& t) { Replace(t, "2/b", "xx"); },
         {"1/b", "2/b"}, {}},
        {"the marked copy rewritten in place", ctl::kDeleteMarked, [](const TempTree& t) { Rewrite(t, "1/b", "xx"); },
         {"1/b", "2/b"}, {}},
        {"both rewritten alike", ctl::kDeleteMarked,
         [](const TempTree& t) { Rewrite(t, "1/b", "xx"), Rewrite(t, "2/b", "xx"); }, {}, {"1/b"}},
        {"the marked copy touched, its bytes kept", ctl::kDeleteMarked, [](const TempTree& t) { Touch(t, "1/b"); },
         {"2/b"}, {"1/b"}},
        {"the other copy touched, its bytes kept", ctl::kDeleteMarked, [](const TempTree& t) { Touch(t, "2/b"); },
         {"2/b"}, {"1/b"}},
        {"whole group, one copy rewritten", ctl::kDeleteGroup, [](const TempTree& t) { Rewrite(t, "2/b", "xx"); },
         {"2/b"}, {"1/b"}},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree fresh{{"1/b", "bb"}, {"2/b", "bb"}};
        HeadlessWindow w{kControls};
        w.PickFolder(ctl::kAddFolder, fresh.Path()).Click(ctl::kSearch).Select(ctl::kGroupList, 0);
        w.Check([&](HeadlessWindow&) { c.change(fresh); }).Click(c.control);
        zwf::Run(w, fileSystem, RunOptions{std::chrono::steady_clock::duration::zero()});
        for (std::string_view relative : c.present)
            EXPECT_TRUE(fresh.Exists(relative)) << relative;
        for (std::string_view relative : c.gone)
            EXPECT_FALSE(fresh.Exists(relative)) << relative;
    }
}

// Names a delete gave files it moved aside, anywhere below tree: none may be left.
std::vector<std::string> PrivateNames(const TempTree& tree) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.FsPath()))
        if (entry.path().filename().string().starts_with(".zwf-"))
            names.push_back(entry.path().string());
    return names;
}

// Whatever step of a delete fails, the copy stays under its name, its line stays, and no
// private name is left behind.
TEST_F(DeleteTest, AFaultAtAnyStepOfADeleteLosesNothing) {
    using Step = FaultyFileSystem::DeleteStep;
    struct Case {
        const char* what;
        int control;  // with 1/b marked in the group (1/b, 2/b)
        std::initializer_list<Step> steps;
        bool kept;
    };
    const Case cases[] = {
        {"marked: moving it aside", ctl::kDeleteMarked, {Step::MoveAside}, true},
        {"marked: examining it there", ctl::kDeleteMarked, {Step::Examine}, true},
        {"marked: reading it for the comparison", ctl::kDeleteMarked, {Step::Read}, true},
        {"marked: removing it", ctl::kDeleteMarked, {Step::Remove}, true},
        {"marked: removing it, then putting it back", ctl::kDeleteMarked, {Step::Remove, Step::PutBack}, true},
        {"group: moving it aside", ctl::kDeleteGroup, {Step::MoveAside}, true},
        {"group: examining it there", ctl::kDeleteGroup, {Step::Examine}, true},
        {"group: removing it, then putting it back", ctl::kDeleteGroup, {Step::Remove, Step::PutBack}, true},
        {"group: reading, which deleting every copy never needs", ctl::kDeleteGroup, {Step::Read}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree fresh{{"1/b", "bb"}, {"2/b", "bb"}};
        FaultyFileSystem fs{*native};
        fs.FailDeleteSteps(fresh.Path("1/b"), c.steps);
        HeadlessWindow w{kControls};
        w.PickFolder(ctl::kAddFolder, fresh.Path()).Click(ctl::kSearch).Select(ctl::kGroupList, 0).Click(c.control);
        zwf::Run(w, fs, RunOptions{std::chrono::steady_clock::duration::zero()});
        EXPECT_EQ(fresh.Exists("1/b"), c.kept);
        if (c.kept) {
            EXPECT_EQ(fresh.Read("1/b"), "bb");
        }
        EXPECT_THAT(PrivateNames(fresh), IsEmpty());
        if (c.control == ctl::kDeleteMarked) {
            EXPECT_THAT(w.Lines(ctl::kMemberList), ElementsAre(fresh.Path("1/b"), fresh.Path("2/b")));
        }
    }
}

// A program saves the marked file the usual way, a new file renamed over its name, just as the
// delete moved it aside: the new save is never what goes.
TEST_F(DeleteTest, ASaveOverTheMarkedNameDuringTheDeleteIsNeverWhatGoes) {
    const std::string rescued = "1/b" + std::string(AsideFile::kRescueSuffix);
    struct Case {
        const char* what;
        bool otherRewritten;  // so the moved file has no copy left and goes back
    };
    for (const Case c : {Case{"the other copy still equal", false}, Case{"the other copy rewritten", true}}) {
        SCOPED_TRACE(c.what);
        TempTree fresh{{"1/b", "bb"}, {"2/b", "bb"}};
        FaultyFileSystem fs{*native};
        fs.AfterMoveAside([&](const std::string&) {
            Replace(fresh, "1/b", "neu");
            if (c.otherRewritten)
                Rewrite(fresh, "2/b", "xx");
        });
        HeadlessWindow w{kControls};
        w.PickFolder(ctl::kAddFolder, fresh.Path()).Click(ctl::kSearch).Select(ctl::kGroupList, 0);
        w.Click(ctl::kDeleteMarked);
        zwf::Run(w, fs, RunOptions{std::chrono::steady_clock::duration::zero()});
        EXPECT_EQ(fresh.Read("1/b"), "neu");
        EXPECT_EQ(fresh.Exists(rescued), c.otherRewritten);
        if (c.otherRewritten) {
            EXPECT_EQ(fresh.Read(rescued), "bb");
            EXPECT_EQ(w.LineTotal(ctl::kMemberList), 2);
        }
        EXPECT_THAT(PrivateNames(fresh), IsEmpty());
    }
}

// A file the delete moved aside and put back is still the file the search read: the rename back
// moves its change time, and nothing else about it.
TEST_F(DeleteTest, AFilePutBackIsStillTheFileTheSearchRead) {
    SearchAndSelect(1);
    window.Check([&](HeadlessWindow&) { Rewrite(tree, "2/b", "xx"); });
    window.Click(ctl::kDeleteMarked).Check([&](HeadlessWindow& w) {
        ExpectOnDisk({"1/b", "2/b"}, {});
        EXPECT_EQ(w.LineTotal(ctl::kMemberList), 2);
        EXPECT_THAT(fileSystem.DeleteCalls(), ElementsAre(Path("1/b")));
    });
    window.Click(ctl::kDeleteGroup);
    RunSession();
    ExpectOnDisk({"2/b"}, {"1/b"});
    EXPECT_EQ(tree.Read("2/b"), "xx");
}

// The first other copy no longer equal, the next one proves the marked copy is not the last.
TEST_F(DeleteTest, AnotherCopyProvesWhatTheFirstNoLongerCan) {
    SearchAndSelect(0);
    window.Check([&](HeadlessWindow&) { Rewrite(tree, "2/a.txt", "sama"); });
    window.Click(ctl::kDeleteMarked);
    RunSession();
    ExpectOnDisk({"2/a.txt", "2/kopie.txt"}, {"1/a.txt"});
    EXPECT_EQ(tree.Read("2/kopie.txt"), "same");
}

TEST_F(DeleteTest, InputDuringADeleteIsDiscarded) {
    SearchAndSelect(0);
    window.Click(ctl::kDeleteGroup).DuringWork(UserAction::Clicked(ctl::kDeleteGroup));
    RunSession();
    EXPECT_EQ(window.Discarded().size(), 1u);
    ExpectOnDisk({"1/b", "2/b"}, {"1/a.txt"});
    EXPECT_THAT(window.Lines(ctl::kGroupList), ElementsAre("2: b, b"));
}

// A second press of a delete button within the double-click time (500 ms here) after the
// previous delete is the second half of a double click: dropped. A press later, or after another
// control event, is the user's own.
TEST_F(DeleteTest, ASecondPressWithinTheDoubleClickTimeIsDropped) {
    const std::vector<std::string_view> groupA{"1/a.txt", "2/a.txt", "2/kopie.txt"};
    const std::vector<std::string_view> all{"1/a.txt", "2/a.txt", "2/kopie.txt", "1/b", "2/b"};
    struct Case {
        const char* what;
        int first, second;
        int pause;  // ms between the two presses
        bool selectBetween;  // the user clicks the selected group's line between them
        std::vector<std::string_view> gone;
    };
    const Case cases[] = {
        {"group, group, 120 ms apart", ctl::kDeleteGroup, ctl::kDeleteGroup, 120, false, groupA},
        {"group, marked, 120 ms apart", ctl::kDeleteGroup, ctl::kDeleteMarked, 120, false, groupA},
        {"marked, marked, at once", ctl::kDeleteMarked, ctl::kDeleteMarked, 0, false, {"1/a.txt"}},
        {"marked, group, 499 ms apart", ctl::kDeleteMarked, ctl::kDeleteGroup, 499, false, {"1/a.txt"}},
        {"group, group, 500 ms apart", ctl::kDeleteGroup, ctl::kDeleteGroup, 500, false, all},
        {"marked, marked, 600 ms apart", ctl::kDeleteMarked, ctl::kDeleteMarked, 600, false, {"1/a.txt", "2/a.txt"}},
        {"group, a click on a group, group", ctl::kDeleteGroup, ctl::kDeleteGroup, 120, true, all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree fresh{{"1/a.txt", "same"}, {"1/b", "bb"}, {"2/a.txt", "same"}, {"2/b", "bb"}, {"2/kopie.txt", "same"}};
        HeadlessWindow w{kControls};
        w.SetDoubleClickTime(std::chrono::milliseconds(500));
        w.PickFolder(ctl::kAddFolder, fresh.Path()).Click(ctl::kSearch).Select(ctl::kGroupList, 0);
        w.Pause(std::chrono::milliseconds(5000)).Click(c.first).Pause(std::chrono::milliseconds(c.pause));
        if (c.selectBetween)
            w.Select(ctl::kGroupList, 0);
        w.Click(c.second);
        zwf::Run(w, fileSystem, RunOptions{std::chrono::steady_clock::duration::zero()});
        EXPECT_TRUE(w.Ignored().empty()) << "each press reached the program";
        for (std::string_view relative : all)
            EXPECT_EQ(fresh.Exists(relative), std::ranges::find(c.gone, relative) == c.gone.end()) << relative;
    }
}

}  // namespace
}  // namespace zwf::test
