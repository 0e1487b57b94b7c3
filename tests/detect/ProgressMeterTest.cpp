#include "detect/ProgressMeter.h"

#include <gtest/gtest.h>

#include "detect/Parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace zwf::detect {
namespace {

// Threads that advance at once, with no interval between reports: whichever thread finds a
// report due makes it, one at a time; reports never go back and stay short of the total until
// Finish, whose report alone reaches it, whether the bytes advanced fall short of the total, meet
// it or pass it.
TEST(ProgressMeter, ThreadsAdvancingAtOnceReportOneAtATimeRisingToTheTotal) {
    constexpr int kThreads = 4, kCalls = 5000;
    constexpr std::uint64_t kAdvanced = std::uint64_t{kThreads} * kCalls * 3;
    for (const std::uint64_t total : {2 * kAdvanced, kAdvanced, kAdvanced / 2}) {
        SCOPED_TRACE(total);
        std::atomic<int> reporting{0};
        std::atomic<bool> twoAtOnce{false};
        std::mutex mutex;
        std::vector<std::uint64_t> shown;
        SearchProgressFn report = [&](std::uint64_t done, std::uint64_t of) {
            if (++reporting > 1)
                twoAtOnce = true;
            EXPECT_EQ(of, total);
            {
                std::lock_guard lock(mutex);
                shown.push_back(done);
            }
            std::this_thread::yield();  // a report that takes a while, for another to run into
            --reporting;
        };
        ProgressMeter meter(report, total, ProgressMeter::Clock::duration::zero());
        {
            std::vector<std::jthread> threads;
            for (int t = 0; t < kThreads; ++t)
                threads.emplace_back([&] {
                    for (int i = 0; i < kCalls; ++i)
                        meter.Advance(3);
                });
        }
        ASSERT_GT(shown.size(), 1u) << "the advancing threads report";
        meter.Finish();
        EXPECT_FALSE(twoAtOnce);
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
        EXPECT_EQ(std::count(shown.begin(), shown.end(), total), 1);
        EXPECT_EQ(shown.back(), total);
    }
}

// Running out of memory in a job, or while the calling thread keeps a window alive, ends the
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
                // Without a failing job, the jobs last until the calling thread has failed.
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
