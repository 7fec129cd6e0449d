// SPDX-License-Identifier: MIT
#include "report/drive_lines.h"

#include <gtest/gtest.h>

namespace mezu {
namespace {

TEST(DriveLinesTest, WorkedExampleOfDriveD)
{
    const DriveFigures figures = computeDriveFigures(DiskFreeSpace{64, 512, 32000, 65535});
    EXPECT_EQ(figures.bytesPerCluster, 32768u);
    EXPECT_EQ(formatSpaceLine('D', figures), "D drive: Total = 2047 MB, Free = 1000 MB");
    EXPECT_EQ(formatGeometryLine(figures), "   Sector =  512 , Claster =  64 , Block =  32768 B");
}

TEST(DriveLinesTest, MegabytesAreRoundedDown)
{
    EXPECT_EQ(computeDriveFigures(DiskFreeSpace{2, 512, 0, 1023}).totalMegabytes, 0u);
    EXPECT_EQ(computeDriveFigures(DiskFreeSpace{2, 512, 0, 1024}).totalMegabytes, 1u);
    const DriveFigures tiny = computeDriveFigures(DiskFreeSpace{8, 512, 0, 10});
    EXPECT_EQ(formatSpaceLine('c', tiny), "c drive: Total = 0 MB, Free = 0 MB");
}

TEST(DriveLinesTest, LargeVolumesAreExactBeyondThirtyTwoBits)
{
    // 2^33 clusters of 4 KiB = 32 TiB = 2^25 MB; 2^31 + 1 clusters free.
    const DriveFigures figures = computeDriveFigures(DiskFreeSpace{8, 512, (1ULL << 31) + 1, 1ULL << 33});
    EXPECT_EQ(figures.totalMegabytes, 1ULL << 25);
    EXPECT_EQ(figures.freeMegabytes, ((1ULL << 31) + 1) * 4096 / (1024 * 1024));
    // A cluster larger than a megabyte, with a remainder.
    const DriveFigures odd = computeDriveFigures(DiskFreeSpace{3 * 1024 + 1, 512, 0, 1ULL << 30});
    EXPECT_EQ(odd.totalMegabytes, (((3ULL * 1024 + 1) * 512) * (1ULL << 30)) / (1024 * 1024));
}

}  // namespace
}  // namespace mezu
