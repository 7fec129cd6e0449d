// SPDX-License-Identifier: MIT
#include "platform/posix/drive_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace mezu::posix {
namespace {

using Drives = std::vector<std::pair<char, std::string>>;

Drives drivesOf(const DriveTable& table)
{
    Drives drives;
    for (const DriveMapping& mapping : table.mappings()) {
        drives.emplace_back(mapping.letter, mapping.root);
    }
    return drives;
}

std::string sample(const std::string& name)
{
    std::ifstream in{std::string{MEZU_MOUNTINFO_SAMPLES} + "/" + name};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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
    EXPECT_EQ(drivesOf(table), (Drives{{'C', "/"},
                                       {'D', "/media/my disk"},
                                       {'E', "/mnt/share"},
                                       {'F', "/opt"},
                                       {'G', "/srv/again"},
                                       {'H', "/srv/data"}}));
}

// The mounts of real layouts, as their /proc/self/mountinfo shows them.
TEST(DriveTableTest, DefaultTablesOfCommonLayouts)
{
    struct Case {
        const char* sample;
        Drives drives;
    };
    const Case cases[] = {
        // / and /home are subvolumes of one btrfs; /tmp is a tmpfs; a portal shows files again.
        {"fedora-btrfs.txt",
         {{'C', "/"},
          {'D', "/boot"},
          {'E', "/boot/efi"},
          {'F', "/home"},
          {'G', "/run/media/alice/USB STICK"},
          {'H', "/tmp"}}},
        // Subvolumes below /@, snapshots hidden, a bind mount of a directory of /home.
        {"opensuse-btrfs.txt",
         {{'C', "/"},
          {'D', "/boot/efi"},
          {'E', "/boot/grub2/i386-pc"},
          {'F', "/boot/grub2/x86_64-efi"},
          {'G', "/home"},
          {'H', "/opt"},
          {'I', "/root"},
          {'J', "/srv"},
          {'K', "/tmp"},
          {'L', "/usr/local"},
          {'M', "/var"}}},
        // A dataset per directory, sources without "/", snaps, /boot/grub bound from /boot/efi.
        {"ubuntu-zfs.txt",
         {{'C', "/"},
          {'D', "/boot"},
          {'E', "/boot/efi"},
          {'F', "/home/alice"},
          {'G', "/root"},
          {'H', "/srv"},
          {'I', "/usr/local"},
          {'J', "/var/games"},
          {'K', "/var/lib"},
          {'L', "/var/lib/AccountsService"},
          {'M', "/var/lib/NetworkManager"},
          {'N', "/var/lib/apt"},
          {'O', "/var/lib/dpkg"},
          {'P', "/var/log"},
          {'Q', "/var/mail"},
          {'R', "/var/snap"},
          {'S', "/var/spool"},
          {'T', "/var/www"}}},
        // A tmpfs at /tmp has a letter, one elsewhere none.
        {"debian13-tmpfs.txt", {{'C', "/"}, {'D', "/boot/efi"}, {'E', "/home"}, {'F', "/tmp"}}},
        // Snaps, a container's overlay and name spaces beside a data disk.
        {"docker-host-and-container.txt", {{'C', "/"}, {'D', "/srv/volumes"}}},
        // Inside the container: volumes bound from the host's disk, one nested in another, and
        // files bound over /etc.
        {"container.txt", {{'C', "/"}, {'D', "/cache"}, {'E', "/data"}, {'F', "/srv"}}},
        // sshfs, rclone, ntfs-3g, NFS behind an automount, SMB, a virtual machine's share; an
        // AppImage below a hidden name.
        {"fuse-and-network.txt",
         {{'C', "/"},
          {'D', "/home/alice/gdrive"},
          {'E', "/home/alice/server"},
          {'F', "/media/alice/Windows"},
          {'G', "/mnt/host"},
          {'H', "/mnt/nas"},
          {'I', "/mnt/nfs"}}},
    };
    const std::set<std::string> files = {"/etc/resolv.conf", "/etc/hostname", "/etc/hosts", "/proc/kcore"};
    for (const Case& c : cases) {
        const std::string text = sample(c.sample);
        ASSERT_FALSE(text.empty()) << c.sample;
        const DriveTable table =
            driveTableFromMountInfo(text, [&files](const std::string& path) { return files.count(path) == 0; });
        EXPECT_EQ(drivesOf(table), c.drives) << c.sample;
    }
}

TEST(DriveTableTest, LettersEndAtZ)
{
    std::string text = "1 0 8:0 / / rw - ext4 /dev/sda rw\n";
    constexpr int kDisks = 30;
    for (int i = 0; i < kDisks; ++i) {
        const std::string id = std::to_string(i + 2);
        text += id + " 1 8:" + id + " / /mnt/disk" + std::to_string(10 + i) + " rw - ext4 /dev/sd" + id + " rw\n";
    }
    const Drives drives = drivesOf(driveTableFromMountInfo(text, [](const std::string&) { return true; }));
    ASSERT_EQ(drives.size(), 24u);
    EXPECT_EQ(drives.back(), (std::pair<char, std::string>{'Z', "/mnt/disk32"}));
    EXPECT_EQ(drivesOf(driveTableFromMountInfo("", [](const std::string&) { return true; })), (Drives{{'C', "/"}}));
}

TEST(DriveTableTest, RunLettersTakeAThenBThenTheFirstFreeLetter)
{
    DriveTable table{{{'C', "/"}, {'D', "/srv"}}};
    const std::string* rootOfC = table.root('C');
    struct Step {
        std::string root;
        std::optional<char> letter;
    };
    const Step steps[] = {
        {"/dev/shm", 'A'}, {"/dev/shm/", 'A'}, {"/run", 'B'}, {"/srv", 'D'}, {"/mnt/x", 'E'}, {"/mnt/y", 'F'},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(table.addRunLetter(step.root), step.letter) << step.root;
    }
    EXPECT_EQ(*table.root('a'), "/dev/shm");
    EXPECT_EQ(table.locate("/mnt/x/in")->letter, 'E');
    EXPECT_EQ(table.root('C'), rootOfC) << "a root stays where it was";
    for (char letter = 'G'; letter <= 'Z'; ++letter) {
        ASSERT_TRUE(table.addRunLetter(std::string{"/full/"} + letter));
    }
    EXPECT_EQ(table.addRunLetter("/one/more"), std::nullopt);
    EXPECT_EQ(table.mappings().size(), 26u);
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
