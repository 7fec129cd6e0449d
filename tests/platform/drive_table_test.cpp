#include "platform/posix/drive_table.h"

#include <gtest/gtest.h>

namespace mezu::posix {
namespace {

// A mountinfo of a typical machine: the root, pseudo file systems, a second disk, a bind
// mount, a file mount, a network share, the same device mounted twice, a space in a path, a
// disk mounted over another on the same point and one covered by a later mount above it.
constexpr const char* kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw\n"
    "25 24 0:23 / /dev/shm rw,relatime - tmpfs tmpfs rw\n"
    "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "30 27 254:16 / /srv/data rw,relatime - xfs /dev/vdb rw\n"
    "31 27 254:0 /home /mnt/homebind rw,relatime - ext4 /dev/vda rw\n"
    "32 27 254:0 /etc/hosts /etc/hosts rw,relatime - ext4 /dev/vda rw\n"
    "33 27 0:40 / /mnt/share rw,relatime - nfs4 server:/export rw\n"
    "34 27 254:16 / /srv/again rw,relatime - xfs /dev/vdb rw\n"
    "35 27 254:32 / /media/my\\040disk rw,relatime - vfat /dev/vdc1 rw\n"
    "36 31 0:41 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "37 30 254:48 / /srv/data rw,relatime - ext4 /dev/vdd rw\n"
    "38 27 254:64 / /opt/inner rw,relatime - ext4 /dev/vde rw\n"
    "39 27 254:80 / /opt rw,relatime - ext4 /dev/vdf rw\n";

TEST(DriveTableTest, DefaultTableLettersDisksAndSharesByMountPoint)
{
    const DriveTable table =
        driveTableFromMountInfo(kMountInfo, [](const std::string& path) { return path != "/etc/hosts"; });
    std::vector<std::pair<char, std::string>> drives;
    for (const DriveMapping& mapping : table.mappings()) {
        drives.emplace_back(mapping.letter, mapping.root);
    }
    EXPECT_EQ(drives, (std::vector<std::pair<char, std::string>>{
                          {'C', "/"}, {'D', "/media/my disk"}, {'E', "/mnt/share"}, {'F', "/opt"},
                          {'G', "/srv/again"}, {'H', "/srv/data"}}));
}

TEST(DriveTableTest, LocatesAPathOnTheDriveWithTheLongestRoot)
{
    const DriveTable table{{{'C', "/"}, {'D', "/srv/data/"}, {'E', "/srv/data2"}}};
    const auto onD = table.locate("/srv/data/x/y");
    ASSERT_TRUE(onD);
    EXPECT_EQ(onD->letter, 'D');
    EXPECT_EQ(onD->components, (std::vector<std::string>{"x", "y"}));
    const auto onC = table.locate("/srv/database");
    ASSERT_TRUE(onC);
    EXPECT_EQ(onC->letter, 'C');
    EXPECT_EQ(table.locate("/srv/data")->components.size(), 0u);
    EXPECT_NE(table.root('d'), nullptr);
    EXPECT_EQ(*table.root('D'), "/srv/data");
    EXPECT_EQ(table.root('Q'), nullptr);
    const DriveTable onlyD{{{'D', "/srv"}}};
    EXPECT_FALSE(onlyD.locate("/home").has_value());
}

TEST(DriveTableTest, ExplicitRootsMustBeDirectories)
{
    const auto made = driveTableFromRoots({{'c', "/tmp/../tmp/"}, {'D', "/"}});
    ASSERT_TRUE(std::holds_alternative<DriveTable>(made));
    EXPECT_EQ(*std::get<DriveTable>(made).root('C'), "/tmp");
    const auto missing = driveTableFromRoots({{'C', "/no/such/dir"}});
    ASSERT_TRUE(std::holds_alternative<std::string>(missing));
    EXPECT_EQ(std::get<std::string>(missing), "/no/such/dir: No such file or directory");
    const auto file = driveTableFromRoots({{'C', "/proc/self/status"}});
    ASSERT_TRUE(std::holds_alternative<std::string>(file));
    EXPECT_NE(std::get<std::string>(file).find("Not a directory"), std::string::npos);
}

}  // namespace
}  // namespace mezu::posix
