// SPDX-License-Identifier: MIT
// The reader gate: as many threads as cores while reads come from memory, twice as many each time
// several reads wait, up to the most, and back to the cores after a run of quick reads.
#include "platform/reader_gate.h"

#include <gtest/gtest.h>

namespace mezu {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr microseconds kSlow = milliseconds{2};
constexpr microseconds kQuick = microseconds{20};

TEST(ReaderGateTest, WidensStepByStepWhileReadsWaitAndNarrowsAfterALongRunOfQuickOnes)
{
    ReaderGate gate{64, 2};
    EXPECT_EQ(gate.open(), 2u);
    // A thread kept waiting for a core now and then is no disk.
    for (int i = 0; i < 300; ++i) {
        EXPECT_FALSE(gate.noteRead(i % 30 == 0 ? kSlow : kQuick, 3));
    }
    EXPECT_EQ(gate.open(), 2u);
    std::vector<unsigned> widths;
    for (int i = 0; i < 200; ++i) {
        if (gate.noteRead(kSlow, 3)) {
            widths.push_back(gate.open());
        }
    }
    EXPECT_EQ(widths, (std::vector<unsigned>{4, 8, 16, 32, 64})) << "the readers waiting are woken each time";
    for (int i = 1; i < ReaderGate::kQuickReadsToNarrow; ++i) {
        gate.noteRead(kQuick, 3);
    }
    EXPECT_EQ(gate.open(), 64u) << "a cold tree has its runs of quick reads";
    gate.noteRead(kQuick, 3);
    EXPECT_EQ(gate.open(), 2u);

    ReaderGate spinning{2, 2, ReaderGate::Disk::Spinning};
    for (int i = 0; i < ReaderGate::kSlowReadsToWiden; ++i) {
        EXPECT_FALSE(spinning.noteRead(kSlow, 3));
    }
    EXPECT_EQ(spinning.open(), 1u) << "a spinning disk is read one directory at a time while it seeks";
    for (int i = 0; i < ReaderGate::kQuickReadsToNarrow; ++i) {
        spinning.noteRead(kQuick, 3);
    }
    EXPECT_EQ(spinning.open(), 2u) << "while it answers from memory, the cores read";
}

TEST(ReaderGateTest, LargeDirectoriesMayTakeLongerAndTheCoresAreWithinTheMost)
{
    ReaderGate gate{3, 2};
    for (int i = 0; i < 100; ++i) {
        gate.noteRead(ReaderGate::kWait + ReaderGate::kWaitPerEntry * 1000, 1000);
    }
    EXPECT_EQ(gate.open(), 2u);
    EXPECT_EQ((ReaderGate{3, 0}.open()), 1u);
    EXPECT_EQ((ReaderGate{3, 9}.open()), 3u);
    EXPECT_EQ((ReaderGate{1, 2}.most()), 1u) << "one thread: the walker alone";
    EXPECT_GE(coresOfThisMachine(), 1u);
}

}  // namespace
}  // namespace mezu
