// The Linux program asked to end by a signal: whatever it shows (here the message of what its
// start put right), it ends at once with status 0, and shows no credits nobody could dismiss.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/AsideNames.h"
#include "platform/StepJournal.h"
#include "tests/support/TempTree.h"

namespace zwf::test {
namespace {

// Waits up to about five seconds for done.
template <class Done>
bool Within(Done done) {
    for (int tries = 0; tries < 250; ++tries) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(ProgramEnd, ASignalEndsTheProgramWithoutCreditsEvenWithTheStartsMessageOpen) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        // A file left aside by a run that was killed, and that run's journal.
        TempTree tree{{"datei", "inhalt"}}, state;
        const std::string aside = AsideNameFor(std::string(32, 'c'), "datei");
        std::filesystem::rename(tree.FsPath("datei"), tree.FsPath(aside));
        state.Write("zwillingsfeger/schritte-1", JournalLine(tree.Path(), aside));

        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::execl(ZWILLINGSFEGER_BINARY, ZWILLINGSFEGER_BINARY, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        EXPECT_TRUE(Within([&] { return tree.Exists("datei"); })) << "put back at the start";
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the message is up
        ::kill(child, signal);
        int status = -1;
        const bool ended = Within([&] { return ::waitpid(child, &status, WNOHANG) == child; });
        if (!ended) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
        }
        EXPECT_TRUE(ended) << "signal " << signal;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "signal " << signal;
        EXPECT_EQ(tree.Read("datei"), "inhalt");
    }
}

}  // namespace
}  // namespace zwf::test
