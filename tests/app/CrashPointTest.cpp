// An action killed at every change it makes to the disk, just before the change and right after:
// whatever the instant, no name and no content is lost, and the next start puts everything that
// was left aside back, or finishes what was proven.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/DeletePlan.h"
#include "app/Layout.h"
#include "app/Recovery.h"
#include "app/Run.h"
#include "catalogue/ScanFolder.h"
#include "detect/FindDuplicates.h"
#include "platform/AsideNames.h"
#include "platform/ForwardingFileSystem.h"
#include "platform/StepJournal.h"
#include "platform/headless/HeadlessWindow.h"
#include "tests/support/TempTree.h"

namespace zwf::test {
namespace {

constexpr int kKilled = 77;

// Ends the process at its n-th change to the disk (moving a file aside, removing it or putting it
// back, making a link), before or after the change: a kill at that instant, no destructor run.
class KillingFileSystem final : public ForwardingFileSystem {
public:
    KillingFileSystem(FileSystem& inner, int at, bool after) : ForwardingFileSystem(inner), m_at(at), m_after(after) {}

    std::unique_ptr<AsideFile> MoveAside(FolderHandle& folder, const std::string& name, std::error_code& error) override {
        return Wrap(Step([&] { return Inner().MoveAside(folder, name, error); }));
    }
    std::unique_ptr<AsideFile> AdoptAside(FolderHandle& folder, const std::string& privateName, const std::string& name,
                                          std::error_code& error) override {
        return Wrap(Inner().AdoptAside(folder, privateName, name, error));
    }
    std::error_code LinkIn(FolderHandle& folder, const std::string& name, const std::string& targetPath) override {
        return Step([&] { return Inner().LinkIn(folder, name, targetPath); });
    }

private:
    template <class Change>
    decltype(std::declval<Change>()()) Step(Change change) {
        const bool due = ++m_calls == m_at;
        if (due && !m_after)
            ::_exit(kKilled);
        auto result = change();
        if (due)
            ::_exit(kKilled);
        return result;
    }

    class Aside final : public AsideFile {
    public:
        Aside(KillingFileSystem& owner, std::unique_ptr<AsideFile> inner) : m_owner(owner), m_inner(std::move(inner)) {}
        FileStatus Status() override { return m_inner->Status(); }
        ReadableFile& File() override { return m_inner->File(); }
        std::error_code Remove() override { return m_owner.Step([&] { return m_inner->Remove(); }); }
        std::string PutBack(std::error_code& error) override {
            return m_owner.Step([&] { return m_inner->PutBack(error); });
        }

    private:
        KillingFileSystem& m_owner;
        std::unique_ptr<AsideFile> m_inner;
    };

    std::unique_ptr<AsideFile> Wrap(std::unique_ptr<AsideFile> aside) {
        return aside ? std::make_unique<Aside>(*this, std::move(aside)) : nullptr;
    }

    int m_calls = 0;
    const int m_at;
    const bool m_after;
};

// Every file below root by its path inside it, with its content.
std::map<std::string, std::string> Files(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[std::filesystem::relative(entry.path(), root).string()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

std::string NameOf(const std::string& relative) { return std::filesystem::path(relative).filename().string(); }
std::string FolderOf(const std::string& relative) { return std::filesystem::path(relative).parent_path().string(); }

// The name a private name in the tree stands for (its note's for a cut one), or "".
std::string StandsFor(const std::map<std::string, std::string>& files, const std::string& relative) {
    const std::optional<AsideName> parsed = ParseAsideName(NameOf(relative));
    if (!parsed)
        return {};
    if (!parsed->cut)
        return parsed->oldName;
    const auto note = files.find((std::filesystem::path(FolderOf(relative)) / NoteName(parsed->key)).string());
    return note == files.end() ? std::string() : note->second;
}

const std::string kLongName = std::string(230, 'l');  // too long to be carried in a private name

struct Action {
    const char* name;
    // Which contents may go with every copy (the window's "Lösche alle Dateien").
    std::string mayAllGo;
    void (*run)(FileSystem& fileSystem, const std::string& root);
};

// The search of a fresh start.
Catalogue Searched(FileSystem& fileSystem, const std::string& root) {
    Catalogue catalogue('/');
    ScanFolder(catalogue, fileSystem, root);
    FindDuplicates(catalogue, fileSystem);
    return catalogue;
}

// Every copy of each group but the first, as zwf --delete and --link do.
void AllButFirst(FileSystem& fileSystem, const std::string& root, bool link) {
    Catalogue catalogue = Searched(fileSystem, root);
    for (std::size_t g = 0; g < catalogue.groups.size(); ++g) {
        std::vector<std::size_t> others;
        for (std::size_t k = 1; k < catalogue.groups[g].memberCount; ++k)
            others.push_back(k);
        ExecutePlan(PlanKeeping(link ? CopyAction::LinkToChosen : CopyAction::RemoveKeepingChosen, g, others, 0), catalogue,
                    fileSystem);
    }
}

// The window: the marked copy of the first group, then every copy of the second.
void WindowButtons(FileSystem& fileSystem, const std::string& root) {
    HeadlessWindow window(kControls);
    window.PickFolder(ctl::kAddFolder, root).Click(ctl::kSearch).Click(ctl::kDeleteMarked);
    window.Select(ctl::kGroupList, 1).Click(ctl::kDeleteGroup);
    Run(window, fileSystem, RunOptions{std::chrono::steady_clock::duration::zero()});
}

const Action kActions[] = {
    {"--delete", "", [](FileSystem& fs, const std::string& root) { AllButFirst(fs, root, false); }},
    {"--link", "", [](FileSystem& fs, const std::string& root) { AllButFirst(fs, root, true); }},
    {"window buttons", "anders!", WindowButtons},
};

// Checks the tree against what it held: each name still there with its content, or removed
// while a copy of its content is left (or its content is one that may all go); before the next
// start also moved aside under a private name that tells it.
void CheckTree(const std::map<std::string, std::string>& before, const std::filesystem::path& root,
               const Action& action, bool recovered, const std::string& where) {
    const std::map<std::string, std::string> now = Files(root);
    std::map<std::string, int> copiesLeft;
    for (const auto& [path, content] : now)
        if (!IsPrivateName(NameOf(path)))
            ++copiesLeft[content];
    for (const auto& [path, content] : now) {
        if (before.contains(path)) {
            EXPECT_EQ(content, before.at(path)) << where << ": " << path;
        } else if (recovered || !IsPrivateName(NameOf(path))) {
            ADD_FAILURE() << where << ": left " << path;
        }
    }
    for (const auto& [path, content] : before) {
        if (now.contains(path))
            continue;
        bool aside = false;
        for (const auto& [other, otherContent] : now)
            aside |= FolderOf(other) == FolderOf(path) && StandsFor(now, other) == NameOf(path) && otherContent == content;
        if (aside && !recovered)
            continue;
        EXPECT_TRUE(copiesLeft[content] > 0 || content == action.mayAllGo)
            << where << ": " << path << (aside ? " is still aside" : " is gone with its last copy");
    }
}

TEST(CrashPoint, NoKillAtAnyChangeLosesANameOrAContentAndTheNextStartLeavesNoPrivateName) {
    for (const Action& action : kActions) {
        int completed = 0;
        for (int at = 1; completed < 2; ++at) {
            for (const bool after : {false, true}) {
                const TempTree tree{{"A/eins", "gleich"}, {"A/zwei", "gleich"}, {"B/drei", "gleich"},
                                    {"B/vier", "anders!"}, {"B/fünf", "anders!"}, {"B/" + kLongName, "gleich"}};
                const std::map<std::string, std::string> before = Files(tree.FsPath());
                const pid_t child = ::fork();
                if (child == 0) {
                    auto native = MakeNativeFileSystem();
                    KillingFileSystem killing(*native, at, after);
                    action.run(killing, tree.Path());
                    ::_exit(0);
                }
                int status = 0;
                ::waitpid(child, &status, 0);
                ASSERT_TRUE(WIFEXITED(status));
                if (WEXITSTATUS(status) == 0) {
                    ++completed;  // no n-th change: the action ran to its end
                } else {
                    ASSERT_EQ(WEXITSTATUS(status), kKilled);
                }
                const std::string where = std::string(action.name) + ", killed " + (after ? "after" : "before") +
                                          " change " + std::to_string(at);
                CheckTree(before, tree.FsPath(), action, false, where);
                auto native = MakeNativeFileSystem();
                Catalogue next('/');
                ScanFolder(next, *native, tree.Path());
                CheckTree(before, tree.FsPath(), action, true, where + ", then started again");
            }
        }
    }
}

// What a scan does with a file under a private name, by what its folder tells.
TEST(Leftovers, AScanPutsBackWhatItsNameTellsAndNeverCataloguesWhatItCannotAccountFor) {
    using Outcome = Leftover::Outcome;
    const std::string key(32, 'd');
    const struct {
        std::string privateName;
        std::string takenBy;  // the content now under the old name "x", if any
        Outcome outcome;
        std::vector<std::string> namesAfter;
    } kCases[] = {
        {AsideNameFor(key, "x"), "", Outcome::Restored, {"x", "y"}},
        {AsideNameFor(key, "x"), "neuer", Outcome::Beside, {"x", "x.zwillingsfeger-gerettet", "y"}},
        {AsideNameFor(key, "x"), "gleich", Outcome::Removed, {"x", "y"}},
        {".zwf-" + key, "", Outcome::Unknown, {".zwf-" + key, "y"}},  // as older versions named it
        {AsideNameFor(key, kLongName), "", Outcome::Unknown, {AsideNameFor(key, kLongName), "y"}},  // its note lost
        // Names no move aside makes: they tell no origin, and are never a copy either.
        {".zwf-" + key + "-", "", Outcome::Unknown, {".zwf-" + key + "-", "y"}},
        {".zwf-" + key + "-..", "", Outcome::Unknown, {".zwf-" + key + "-..", "y"}},
    };
    for (const auto& [privateName, takenBy, outcome, namesAfter] : kCases) {
        const TempTree tree{{"y", "gleich"}};
        tree.Write(privateName, "gleich");
        if (!takenBy.empty())
            tree.Write("x", takenBy);
        auto native = MakeNativeFileSystem();
        Catalogue catalogue('/');
        const ScanReport report = ScanFolder(catalogue, *native, tree.Path());
        FindDuplicates(catalogue, *native);
        ASSERT_EQ(report.leftovers.size(), 1u) << privateName;
        EXPECT_EQ(report.leftovers[0].outcome, outcome) << privateName;
        std::vector<std::string> names;
        for (const auto& [path, content] : Files(tree.FsPath()))
            names.push_back(path);
        EXPECT_EQ(names, namesAfter) << privateName;
        for (const FileEntry& file : catalogue.allFiles)
            EXPECT_FALSE(IsPrivateName(file.name)) << file.name;
        // What was put back, or is there under the old name, is a copy of y; a leftover is in no group.
        EXPECT_EQ(catalogue.groups.size(), outcome == Outcome::Unknown ? 0u : 1u) << privateName;
    }
}

TEST(StepJournal, KeepsAnyFolderAndNameAndDropsALineCutOffOrANameNotPrivate) {
    const std::string aside = AsideNameFor(std::string(32, 'a'), "mit Leer zeichen\nund\xff");
    const std::string text = JournalLine("/ordner mit\nZeilen", aside) + JournalLine("/x", "kein-privater-name") +
                             JournalLine("/y", aside);
    const std::vector<LoggedStep> steps = ParseJournal(text.substr(0, text.size() - 3));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].folder, "/ordner mit\nZeilen");
    EXPECT_EQ(steps[0].privateName, aside);
}

TEST(StepJournal, TheNextStartTakesTheStepsOfAProcessThatDiedAndLeavesThoseOfOneThatRuns) {
    const TempTree tree{{"a", "inhalt"}}, state;
    ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
    auto native = MakeNativeFileSystem();
    const auto running = OpenStepJournal();  // this process's, written to, so it exists
    running->WillMoveAside(tree.Path(), AsideNameFor(std::string(32, 'b'), "b"));
    const pid_t child = ::fork();
    if (child == 0) {
        const auto journal = OpenStepJournal();
        native->SetStepLog(journal.get());
        std::error_code error;
        auto folder = native->OpenFolder(tree.Path(), error);
        auto aside = native->MoveAside(*folder, "a", error);
        ::_exit(aside ? 0 : 1);  // killed with the file aside
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_FALSE(tree.Exists("a"));

    const std::vector<Leftover> leftovers = RecoverAbandonedSteps(*native);
    ASSERT_EQ(leftovers.size(), 1u);
    EXPECT_EQ(leftovers[0].outcome, Leftover::Outcome::Restored);
    EXPECT_EQ(tree.Read("a"), "inhalt");
    EXPECT_TRUE(RecoverAbandonedSteps(*native).empty());  // taken once, and the running one left alone
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(state.FsPath("zwillingsfeger")), {}), 1);
    ::unsetenv("XDG_STATE_HOME");
}

// A trash record written down before it was made: the next start removes it only while it is the
// record this program wrote (whole or in part) and its file never came into the trash.
TEST(StepJournal, ARecordLeftWithoutItsFileGoesAndNoOtherRecordDoes) {
    const std::string record = "[Trash Info]\nPath=/a/b\nDeletionDate=2026-12-09T18:00:00\n";
    const struct {
        std::string written;  // what info/b.trashinfo holds
        bool fileThere;       // files/b
        bool gone;
    } kCases[] = {
        {record, false, true},
        {record.substr(0, 20), false, true},  // the process ended while writing it
        {"", false, true},
        {"[Trash Info]\nPath=/a/c\nDeletionDate=2026-12-09T18:00:00\n", false, false},  // another's, as long
        {record + "mehr", false, false},
        {record, true, false},  // the move came: a record of the trash
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.written);
        const TempTree trash{{"info/b.trashinfo", c.written}}, state;
        if (c.fileThere)
            trash.Write("files/b", "inhalt");
        else
            trash.MakeFolder("files");
        state.Write("zwillingsfeger/schritte-1", TrashRecordLine(trash.Path("info"), "b.trashinfo", record) +
                                                      JournalLine(trash.Path(), AsideNameFor(std::string(32, 'c'), "x")));
        ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
        auto native = MakeNativeFileSystem();
        RecoverAbandonedSteps(*native);
        ::unsetenv("XDG_STATE_HOME");
        EXPECT_EQ(trash.Exists("info/b.trashinfo"), !c.gone);
        EXPECT_EQ(trash.Exists("files/b"), c.fileThere);
    }
}

}  // namespace
}  // namespace zwf::test
