// zwf ended from outside while it works: killed outright at the moment a copy lies aside, or
// asked to end by a signal, its standard output a pipe.
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <pty.h>
#include <string>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TempTree.h"

namespace zwf {
namespace {

using test::TempTree;

constexpr std::size_t kBig = 8 << 20;

// Four copies of a few MiB each, so that each compare takes a while, and a file of its own.
void Fill(const TempTree& tree) {
    const std::string big(kBig, 'z');
    for (const char* name : {"a", "b", "c", "d"})
        tree.Write(name, big);
    tree.Write("einzeln", "anders");
}

// zwf run on arguments, standard output a pipe, standard error a file.
struct Started {
    pid_t pid = -1;
    int out = -1;
    // state: the user's state folder for the run, where its journal goes.
    Started(const std::vector<std::string>& arguments, const std::string& errFile, const std::string& state,
            const std::string& workingFolder = "") {
        int pipeFds[2];
        EXPECT_EQ(::pipe(pipeFds), 0);
        pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeFds[1], STDOUT_FILENO);
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, STDERR_FILENO);
            ::close(pipeFds[0]);
            ::setenv("XDG_STATE_HOME", state.c_str(), 1);
            if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0)
                ::_exit(127);
            std::vector<char*> argv{const_cast<char*>(ZWF_BINARY)};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(ZWF_BINARY, argv.data());
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        out = pipeFds[0];
    }
    // Everything printed, then the exit status (128 + n for the signal n that ended it).
    std::pair<std::string, int> Wait() {
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(out, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(got));
        ::close(out);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return {text, WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1};
    }
};

// Waits until the n-th file of folder is moved to one of the program's private names.
class AsideWatch {
public:
    explicit AsideWatch(const std::string& folder) : m_fd(::inotify_init1(IN_CLOEXEC)) {
        ::inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_TO);
    }
    ~AsideWatch() { ::close(m_fd); }
    bool WaitFor(int n) {
        alignas(inotify_event) char buffer[4096];
        while (m_seen < n) {
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::string(event->name).starts_with(".zwf-"))
                    ++m_seen;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return true;
    }

private:
    int m_fd;
    int m_seen = 0;
};

std::map<std::string, bool> Names(const TempTree& tree) {
    std::map<std::string, bool> names;
    for (const auto& entry : std::filesystem::directory_iterator(tree.FsPath()))
        names[entry.path().filename().string()] = true;
    return names;
}

TEST(ZwfEnd, KilledWhileACopyIsAsideTheNextStartPutsItBackOrFinishesItWhateverItSearches) {
    const struct {
        std::vector<std::string> action;
        int killAt;             // the n-th move aside
        bool relative = false;  // the folder given relative to the first run's working folder
    } kCases[] = {
        {{"--delete"}, 1}, {{"--delete"}, 3}, {{"--link"}, 1}, {{"--link"}, 2}, {{"--link"}, 3},
        {{"--delete"}, 2, true},
    };
    for (const auto& [action, killAt, relative] : kCases) {
        const std::string where = action[0] + ", killed at move " + std::to_string(killAt) + (relative ? ", relative" : "");
        TempTree tree, scratch;
        Fill(tree);
        AsideWatch watch(tree.Path());
        std::vector<std::string> arguments = action;
        const std::filesystem::path folder = tree.FsPath();
        arguments.push_back(relative ? folder.filename().string() : tree.Path());
        Started run(arguments, scratch.Path("err"), scratch.Path(), relative ? folder.parent_path().string() : "");
        ASSERT_TRUE(watch.WaitFor(killAt)) << where;
        ::kill(run.pid, SIGKILL);
        EXPECT_EQ(run.Wait().second, 128 + SIGKILL) << where;

        bool leftAside = false;
        for (const auto& [name, present] : Names(tree))
            leftAside |= name.starts_with(".zwf-");
        // The next start, on another folder, finds the step in its journal.
        scratch.MakeFolder("anderswo");
        Started next({scratch.Path("anderswo")}, scratch.Path("err"), scratch.Path());
        next.Wait();
        EXPECT_EQ(scratch.Read("err").find("Rest einer unterbrochenen Löschung") != std::string::npos, leftAside)
            << where << ": " << scratch.Read("err");
        const std::map<std::string, bool> names = Names(tree);
        for (const auto& [name, present] : names)
            EXPECT_FALSE(name.starts_with(".zwf-")) << where << ": " << name;
        EXPECT_TRUE(names.contains("a") && names.contains("einzeln")) << where;
        if (action[0] == "--link") {
            for (const char* name : {"b", "c", "d"})
                EXPECT_TRUE(names.contains(name)) << where << ": " << name;
        }
        for (const auto& [name, present] : names)
            EXPECT_EQ(tree.Read(name).size(), name == "einzeln" ? 6u : kBig) << where << ": " << name;
    }
}

TEST(ZwfEnd, ASignalDuringTheDeletesFinishesTheCopyInHandPrintsTheRecordAndExitsWith128PlusIt) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string where = "signal " + std::to_string(signal);
        TempTree tree, scratch;
        Fill(tree);
        AsideWatch watch(tree.Path());
        Started run({"--delete", tree.Path()}, scratch.Path("err"), scratch.Path());
        ASSERT_TRUE(watch.WaitFor(1)) << where;
        ::kill(run.pid, signal);
        const auto [out, status] = run.Wait();
        EXPECT_EQ(status, 128 + signal) << where;
        // The record of what was done: the copy kept, each copy that went, and the count.
        EXPECT_TRUE(out.starts_with("behalten: " + tree.Path("a") + "\n")) << where << ": " << out;
        std::size_t gone = 0;
        for (const char* name : {"b", "c", "d"}) {
            const bool named = out.find("gelöscht: " + tree.Path(name) + "\n") != std::string::npos;
            gone += named ? 1 : 0;
            EXPECT_NE(named, tree.Exists(name)) << where << ": " << name;
        }
        EXPECT_GE(gone, 1u) << where << ": the copy in hand finishes";
        EXPECT_LT(gone, 3u) << where << ": no copy after it is started";
        EXPECT_NE(out.find(std::to_string(gone) + (gone == 1 ? " Kopie" : " Kopien") + " gelöscht"), std::string::npos)
            << where << ": " << out;
        for (const auto& [name, present] : Names(tree))
            EXPECT_FALSE(name.starts_with(".zwf-")) << where << ": " << name;
    }
}

// On a real terminal: Ctrl-C typed, or the terminal closed (a hang-up), while a copy lies aside.
TEST(ZwfEnd, CtrlCOrAClosedTerminalFinishesTheCopyInHandAndLeavesNoPrivateName) {
    for (const bool closeTerminal : {false, true}) {
        const std::string where = closeTerminal ? "terminal closed" : "Ctrl-C";
        TempTree tree, scratch;
        Fill(tree);
        AsideWatch watch(tree.Path());
        int terminal = -1;
        const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
        if (pid == 0) {
            ::setenv("XDG_STATE_HOME", scratch.Path().c_str(), 1);
            const std::string folder = tree.Path();
            ::execl(ZWF_BINARY, ZWF_BINARY, "--delete", folder.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(watch.WaitFor(1)) << where;
        std::string shown;
        if (closeTerminal) {
            ::close(terminal);
        } else {
            ASSERT_EQ(::write(terminal, "\x03", 1), 1);
            char buffer[4096];
            for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
                shown.append(buffer, static_cast<std::size_t>(got));
            ::close(terminal);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << where << ": ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 128 + (closeTerminal ? SIGHUP : SIGINT)) << where;
        std::size_t gone = 0;
        for (const char* name : {"b", "c", "d"}) {
            gone += tree.Exists(name) ? 0 : 1;
            if (!closeTerminal) {
                EXPECT_EQ(shown.find("gelöscht: " + tree.Path(name)) != std::string::npos, !tree.Exists(name))
                    << where << ": " << name << "\n" << shown;
            }
        }
        EXPECT_GE(gone, 1u) << where << ": the copy in hand finishes";
        EXPECT_LT(gone, 3u) << where << ": no copy after it is started";
        EXPECT_TRUE(tree.Exists("a") && tree.Exists("einzeln")) << where;
        for (const auto& [name, present] : Names(tree))
            EXPECT_FALSE(name.starts_with(".zwf-")) << where << ": " << name;
    }
}

TEST(ZwfEnd, ASignalDuringTheSearchEndsItAtOnceWithNothingPrinted) {
    TempTree tree, scratch;
    Fill(tree);
    Started run({"--delete", tree.Path()}, scratch.Path("err"), scratch.Path());
    ::kill(run.pid, SIGTERM);
    const auto [out, status] = run.Wait();
    EXPECT_EQ(status, 128 + SIGTERM);
    EXPECT_EQ(out, "");
    for (const char* name : {"a", "b", "c", "d"})
        EXPECT_TRUE(tree.Exists(name)) << name;
}

}  // namespace
}  // namespace zwf
