#include "detect/ProgressMeter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace zwf::detect {
namespace {

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
    ProgressMeter meter(report, 10000);
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

}  // namespace
}  // namespace zwf::detect
