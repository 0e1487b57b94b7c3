// Work on a thread of its own beside the window: a failure to show its news ends it soon.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <stdexcept>
#include <thread>

#include "app/WorkBeside.h"

namespace zwf {
namespace {

// The news fail to show on the second try. A job that goes on handing news on ends there, however
// long it would have run; one that then fails by itself is thrown over. Either way Run throws what
// the showing threw, and the news are tried no more.
TEST(WorkBeside, NewsThatCannotBeShownEndTheJobSoonAndTheirFailureIsThrown) {
    for (const bool jobFailsToo : {false, true}) {
        SCOPED_TRACE(jobFailsToo);
        WorkBeside beside;
        std::atomic<int> shows{0};
        bool ranOut = false;
        const auto job = [&] {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (std::chrono::steady_clock::now() < until) {
                if (jobFailsToo && shows >= 2)
                    throw std::runtime_error("the job's own");
                beside.EndIfNotShown();
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
            ranOut = true;
        };
        EXPECT_THROW(beside.Run(job,
                                [&] {
                                    if (++shows == 2)
                                        throw std::bad_alloc();
                                }),
                     std::bad_alloc);
        EXPECT_FALSE(ranOut);
        EXPECT_EQ(shows, 2);
    }
}

}  // namespace
}  // namespace zwf
