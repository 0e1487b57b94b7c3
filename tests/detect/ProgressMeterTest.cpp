#include "detect/ProgressMeter.h"

#include <gtest/gtest.h>

#include "detect/Parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <new>
#include <thread>
#include <vector>

namespace zwf::detect {
namespace {

// With no interval between reports, every chance the searching thread has is a report.
constexpr ProgressMeter::Clock::duration kEveryChance{};

// Bytes settled on another thread show up in the searching thread's next report; reports never
// go back, never pass the total, and only the last one reaches it.
TEST(ProgressMeter, ReportsFromItsOwnThreadRisingToTheTotal) {
    std::vector<std::uint64_t> shown;
    bool otherThread = false;
    const auto owner = std::this_thread::get_id();
    SearchProgressFn report = [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, 10000u);
        otherThread = otherThread || std::this_thread::get_id() != owner;
        shown.push_back(done);
    };
    ProgressMeter meter(report, 10000, kEveryChance);
    std::thread helper([&] {
        for (int i = 0; i < 50; ++i)
            meter.Advance(100);
    });
    helper.join();
    EXPECT_TRUE(shown.empty()) << "the helper thread must not report";
    meter.Advance(100);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.back(), 5100u);
    meter.Advance(999999);  // more than is left: the bar stops short of the end until Finish
    meter.Finish();
    EXPECT_FALSE(otherThread);
    for (std::size_t i = 1; i < shown.size(); ++i)
        EXPECT_GE(shown[i], shown[i - 1]);
    EXPECT_EQ(shown.back(), 10000u);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 10000u), 1);
}

// Waits for flag, but not forever: a fault shows as a failed check rather than a hung test.
bool Await(const std::atomic<bool>& flag) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!flag && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return flag;
}

// The searching thread reports what the threads at work settle while it waits for them: the
// helper here finishes only once it has seen its bytes reported.
TEST(ProgressMeter, ReportsWhileTheSearchingThreadWaitsForTheOthers) {
    std::atomic<std::uint64_t> shown{0};
    SearchProgressFn report = [&](std::uint64_t done, std::uint64_t) { shown = done; };
    ProgressMeter meter(report, 1000, kEveryChance);
    std::atomic<bool> helperStarted{false}, helperSawReport{false};
    Workers(2).ForEach(
        2,
        [&](std::size_t, unsigned worker) {
            if (worker == 0) {
                EXPECT_TRUE(Await(helperStarted));
                return;
            }
            helperStarted = true;
            meter.Advance(300);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (shown != 300 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            helperSawReport = shown == 300;
        },
        [&] { meter.Tick(); });
    EXPECT_TRUE(helperSawReport);
}

// Running out of memory in a job, or while the searching thread keeps the window alive, ends the
// round: the failure reaches the caller once no thread is at work any more, and the threads
// serve the next round as before.
TEST(Workers, AFailureEndsTheRoundOnTheCallingThreadAndTheThreadsGoOn) {
    Workers workers(4);
    for (const bool waiting : {false, true}) {
        for (const bool inJob : {true, false}) {
            if (!waiting && !inJob)
                continue;  // nothing else can fail
            std::atomic<int> running{0}, done{0}, calls{0};
            const auto work = [&](std::size_t i, unsigned) {
                ++running;
                if (inJob && i == 3)
                    throw std::bad_alloc();
                // Without a failing job, the jobs last until the searching thread has failed.
                const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                while (!inJob && calls < 2 && std::chrono::steady_clock::now() < until)
                    std::this_thread::sleep_for(std::chrono::microseconds(100));
                ++done;
                --running;
            };
            const std::function<void()> whileWaiting = [&] {
                if (++calls == 2 && !inJob)
                    throw std::bad_alloc();
            };
            EXPECT_THROW(workers.ForEach(10000, work, waiting ? whileWaiting : std::function<void()>{}), std::bad_alloc);
            EXPECT_EQ(running, inJob ? 1 : 0) << "no job still at work";
            EXPECT_LT(done, 10000);
            std::atomic<std::size_t> all{0};
            workers.ForEach(100, [&](std::size_t, unsigned) { ++all; }, waiting ? [] {} : std::function<void()>{});
            EXPECT_EQ(all, 100u);
        }
    }
}

// A round started beside the calling thread runs on every thread of the pool while the caller goes
// on; told to stop, its jobs end, and waiting for it throws what a job threw. The pool then serves
// the next round.
TEST(Workers, AStartedRoundRunsBesideTheCallerUntilToldToStop) {
    Workers workers(3);
    for (const bool failing : {false, true}) {
        std::atomic<int> running{0};
        workers.Start(3, [&](std::size_t, unsigned worker) {
            ++running;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (failing && worker == 1 && running < 3 && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            if (failing && worker == 1)
                throw std::bad_alloc();
            while (!workers.Stopping())
                std::this_thread::sleep_for(std::chrono::microseconds(100));
        });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (running < 3 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(running, 3) << "every thread at work while the caller waits for none";
        workers.Stop();
        if (failing)
            EXPECT_THROW(workers.Wait(), std::bad_alloc);
        else
            EXPECT_NO_THROW(workers.Wait());
        std::atomic<std::size_t> all{0};
        workers.ForEach(100, [&](std::size_t, unsigned) { ++all; });
        EXPECT_EQ(all, 100u);
    }
}

}  // namespace
}  // namespace zwf::detect
