// SPDX-License-Identifier: MIT
// The yield throttle on a fake clock: rare clock reads for fast yields, a hand-over on time
// whatever the pace of the yields.
#include "ui/yield_throttle.h"

#include <gtest/gtest.h>

#include <vector>

namespace mezu {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

struct YieldRun {
    long clockReads = 0;
    std::vector<nanoseconds> handOvers;
};

// `calls` yields, `step` apart; each hand-over takes `handOverTakes`.
YieldRun yieldAtPace(nanoseconds interval, nanoseconds step, long calls, nanoseconds handOverTakes = nanoseconds{0})
{
    YieldRun run;
    nanoseconds now{0};
    YieldThrottle throttle{interval, [&] {
                               ++run.clockReads;
                               return now;
                           }};
    for (long i = 0; i < calls; ++i) {
        now += step;
        if (throttle.due()) {
            run.handOvers.push_back(now);
            now += handOverTakes;
            throttle.handedOver();
        }
    }
    return run;
}

TEST(YieldThrottleTest, FastYieldsReadTheClockRarelyAndStillHandOverOnTime)
{
    constexpr long kCalls = 2'000'000;  // 200 ms of yields 100 ns apart
    const YieldRun run = yieldAtPace(milliseconds{20}, nanoseconds{100}, kCalls, milliseconds{1});

    EXPECT_LE(run.clockReads, kCalls / 16 + 100) << "one read in sixteen yields";
    ASSERT_GE(run.handOvers.size(), 8u);
    for (std::size_t i = 1; i < run.handOvers.size(); ++i) {
        const nanoseconds gap = run.handOvers[i] - run.handOvers[i - 1];
        EXPECT_GE(gap, milliseconds{20});
        EXPECT_LE(gap, milliseconds{20} + milliseconds{1} + milliseconds{3}) << "hand-over " << i;
    }
}

TEST(YieldThrottleTest, SlowYieldsAreCheckedEachTime)
{
    const YieldRun run = yieldAtPace(milliseconds{20}, milliseconds{5}, 40);

    EXPECT_EQ(run.handOvers.front(), milliseconds{5}) << "the first yield hands over";
    for (std::size_t i = 1; i < run.handOvers.size(); ++i) {
        EXPECT_EQ(run.handOvers[i] - run.handOvers[i - 1], milliseconds{20});
    }
    EXPECT_EQ(run.handOvers.size(), 10u);
}

TEST(YieldThrottleTest, ThePaceMaySlowDownWithoutDelayingAHandOver)
{
    // Fast yields lengthen the stride; then each yield takes 2 ms, and the stride must shrink
    // at once, so that only the first hand-over can be late, by one stride at the most.
    nanoseconds now{0};
    YieldThrottle throttle{milliseconds{20}, [&] { return now; }};
    nanoseconds last{0};
    for (long i = 0; i < 1'000'000; ++i) {
        now += nanoseconds{50};
        if (throttle.due()) {
            last = now;
            throttle.handedOver();
        }
    }
    std::vector<nanoseconds> late;
    for (int i = 0; i < 200; ++i) {
        now += milliseconds{2};
        if (throttle.due()) {
            late.push_back(now - last);
            last = now;
            throttle.handedOver();
        }
    }
    ASSERT_FALSE(late.empty());
    EXPECT_LE(late.front(), milliseconds{20} + milliseconds{2} * 16) << "the first slow hand-over";
    for (std::size_t i = 1; i < late.size(); ++i) {
        EXPECT_LE(late[i], milliseconds{22}) << "slow hand-over " << i;
    }
}

TEST(YieldThrottleTest, AZeroIntervalHandsOverAtEveryYield)
{
    const YieldRun run = yieldAtPace(nanoseconds{0}, nanoseconds{100}, 1000);
    EXPECT_EQ(run.handOvers.size(), 1000u);
    EXPECT_EQ(run.clockReads, 0);
}

}  // namespace
}  // namespace mezu
