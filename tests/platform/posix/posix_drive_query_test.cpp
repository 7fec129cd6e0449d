// SPDX-License-Identifier: MIT
#include "platform/posix/posix_drive_query.h"

#include <sys/statvfs.h>

#include <gtest/gtest.h>

#include "temp_tree.h"

namespace mezu::posix {
namespace {

TEST(PosixDriveQueryTest, ClusterIsTheFragmentInSectors)
{
    const DiskFreeSpace usual = diskFreeSpaceFromFigures(4096, 512, 1000, 10);
    EXPECT_EQ(usual.bytesPerSector, 512u);
    EXPECT_EQ(usual.sectorsPerCluster, 8u);
    EXPECT_EQ(usual.totalClusters, 1000u);
    EXPECT_EQ(usual.freeClusters, 10u);
    const DiskFreeSpace smallFragment = diskFreeSpaceFromFigures(1024, 4096, 1, 1);
    EXPECT_EQ(smallFragment.bytesPerSector, 1024u);
    EXPECT_EQ(smallFragment.sectorsPerCluster, 1u);
    const DiskFreeSpace odd = diskFreeSpaceFromFigures(6144, 4096, 1, 1);
    EXPECT_EQ(odd.bytesPerSector * odd.sectorsPerCluster, 6144u);
}

TEST(PosixDriveQueryTest, AnswersWithTheFiguresOfTheRootsFileSystem)
{
    test::TempTree tree;
    PosixDriveQuery query{DriveTable{{{'C', tree.root()}}}};
    struct statvfs expected {};
    ASSERT_EQ(::statvfs(tree.root().c_str(), &expected), 0);

    const auto space = query.getDiskFreeSpace("c:\\");
    ASSERT_TRUE(space.has_value());
    EXPECT_EQ(space->bytesPerSector * space->sectorsPerCluster, expected.f_frsize);
    EXPECT_EQ(space->totalClusters, expected.f_blocks);
    EXPECT_NEAR(static_cast<double>(space->freeClusters), static_cast<double>(expected.f_bavail),
                static_cast<double>(expected.f_blocks) / 100);
    EXPECT_FALSE(query.getDiskFreeSpace("D:\\").has_value());
    EXPECT_FALSE(query.getDiskFreeSpace("").has_value());
}

}  // namespace
}  // namespace mezu::posix
