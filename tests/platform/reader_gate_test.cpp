// The reader gate: narrow while reads come from memory, open to every reader while several of
// the latest reads waited for the disk, narrow again after a run of quick reads.
#include "platform/posix/reader_gate.h"

#include <gtest/gtest.h>

namespace mezu::posix {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr microseconds kSlow = milliseconds{2};
constexpr microseconds kQuick = microseconds{20};

TEST(ReaderGateTest, OpensOnSeveralSlowReadsAndNarrowsAfterARunOfQuickOnes)
{
    ReaderGate gate{7, 1};
    EXPECT_EQ(gate.open(), 1u);
    // A thread kept waiting for a core now and then is no disk.
    for (int i = 1; i < ReaderGate::kSlowReadsToOpen; ++i) {
        EXPECT_FALSE(gate.noteRead(kSlow, 3));
        EXPECT_FALSE(gate.noteRead(kQuick, 3));
    }
    EXPECT_EQ(gate.open(), 1u);
    EXPECT_TRUE(gate.noteRead(kSlow, 3)) << "the readers waiting must be woken";
    EXPECT_EQ(gate.open(), 7u);
    EXPECT_FALSE(gate.noteRead(kSlow, 3)) << "already open";
    for (int i = 1; i < ReaderGate::kRecentReads; ++i) {
        gate.noteRead(kQuick, 3);
    }
    EXPECT_EQ(gate.open(), 7u) << "a slow read is still among the latest";
    gate.noteRead(kQuick, 3);
    EXPECT_EQ(gate.open(), 1u);
}

TEST(ReaderGateTest, LargeDirectoriesMayTakeLongerAndTheNarrowGateKeepsOneReader)
{
    ReaderGate gate{3, 2};
    for (int i = 0; i < ReaderGate::kRecentReads; ++i) {
        gate.noteRead(ReaderGate::kDiskWait + ReaderGate::kWaitPerEntry * 1000, 1000);
    }
    EXPECT_EQ(gate.open(), 2u);
    EXPECT_EQ((ReaderGate{3, 0}.open()), 1u);
    EXPECT_EQ((ReaderGate{3, 9}.open()), 3u);
    EXPECT_GE(busyReaderThreads(), 1u);
}

}  // namespace
}  // namespace mezu::posix
