// SPDX-License-Identifier: MIT
// What only the POSIX backend has to get right: links, special files, mount points, names that
// are not UTF-8 or hold a backslash, paths past PATH_MAX, and the working directory at start.
#include "platform/posix/posix_file_system.h"
#include "platform/posix/rotational_disk.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/posix/posix_drive_query.h"

#include "engine/mezucom.h"
#include "fakes.h"
#include "temp_tree.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

int openDescriptors()
{
    int count = 0;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (::readdir(fds) != nullptr) {
            ++count;
        }
        ::closedir(fds);
    }
    return count;
}

class PosixFileSystemTest : public ::testing::Test {
protected:
    // A file system with C: at the tree's root, and a module to walk it with 4 KiB clusters.
    posix::PosixFileSystem& fileSystem()
    {
        if (!fs_) {
            fs_ = std::make_unique<posix::PosixFileSystem>(posix::DriveTable{{{'C', tree.root()}}});
            drives.set('C', test::driveWithCluster(4096));
            module_ = std::make_unique<mezucom>(lists, *fs_, drives, windowSystem);
            module_->drvinfo("C:\\");
        }
        return *fs_;
    }
    mezucom& module()
    {
        fileSystem();
        return *module_;
    }

    test::TempTree tree;
    test::FakeDriveQuery drives;
    test::RecordingWindowSystem windowSystem;
    WindowLists lists;

private:
    std::unique_ptr<posix::PosixFileSystem> fs_;
    std::unique_ptr<mezucom> module_;
};

TEST_F(PosixFileSystemTest, LinksAndSpecialFilesAreSystemAndNeverFollowed)
{
    tree.dir("t/real");
    tree.file("t/real/data", 4096);
    tree.symlink("real", "t/dirlink");
    tree.symlink("real/data", "t/filelink");
    tree.symlink("..", "t/real/loop");
    tree.symlink("nowhere", "t/dangling");
    const bool haveFifo = tree.fifo("t/fifo");

    module().measure("C:\\t");

    EXPECT_EQ(lists.wklist1.lines(), (Lines{"C:\\t", "C:\\t\\real"}));
    EXPECT_EQ(module().totalbytes(), 4096u);
    ASSERT_TRUE(fileSystem().changeDirectory("C:\\t"));
    for (const char* name : {"dirlink", "filelink", "dangling"}) {
        EXPECT_EQ(fileSystem().attributes(name).value_or(0) & (kAttrSystem | kAttrDirectory), kAttrSystem) << name;
    }
    if (haveFifo) {
        EXPECT_NE(fileSystem().attributes("fifo").value_or(0) & kAttrSystem, 0u);
    }
}

TEST_F(PosixFileSystemTest, AllocationsAreWhatLstatReportsOnDiskAndInACommand)
{
    constexpr std::size_t kDataLength = 10000;
    tree.file("hole", 1ULL << 30);
    {
        std::ofstream data{tree.path("data"), std::ios::binary};
        data << std::string(kDataLength, 'x');
    }
    const auto reported = [this](const char* name) {
        struct stat status {};
        EXPECT_EQ(::lstat(tree.path(name).c_str(), &status), 0) << name;
        return static_cast<std::uint64_t>(status.st_blocks) * 512;
    };
    posix::PosixFileSystem& fs = fileSystem();
    EXPECT_EQ(fs.allocatedBytes("hole"), reported("hole"));
    EXPECT_EQ(fs.allocatedBytes("data"), reported("data"));
    EXPECT_FALSE(fs.allocatedBytes("missing").has_value());
    EXPECT_GE(reported("data"), kDataLength);
}

TEST_F(PosixFileSystemTest, DrivePathsMapBackToHostPaths)
{
    tree.dir("sub/back\\slash");
    posix::PosixFileSystem fs{posix::DriveTable{{{'C', tree.root()}, {'D', "/"}}}};
    struct Case {
        std::string drivePath;
        std::optional<std::string> host;
    };
    const Case cases[] = {
        {"C:\\", tree.root()},
        {"c:\\sub", tree.path("sub")},
        {"C:\\sub\\back/slash", tree.path("sub/back\\slash")},
        {"D:\\", "/"},
        {"D:\\etc", "/etc"},
        {"E:\\", std::nullopt},
        {"nonsense", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fs.hostPath(c.drivePath), c.host) << c.drivePath;
    }
}

TEST_F(PosixFileSystemTest, ReadOnlyFollowsTheOwnersWriteBit)
{
    tree.file("ro", 1);
    ::chmod(tree.path("ro").c_str(), 0444);
    tree.file("rw", 1);
    EXPECT_NE(fileSystem().attributes("ro").value_or(0) & kAttrReadOnly, 0u);
    EXPECT_EQ(fileSystem().attributes("rw").value_or(kAttrReadOnly) & kAttrReadOnly, 0u);
}

TEST_F(PosixFileSystemTest, AnotherFileSystemMountedBelowIsSystem)
{
    struct stat root {};
    struct stat proc {};
    if (::stat("/", &root) != 0 || ::stat("/proc", &proc) != 0 || root.st_dev == proc.st_dev) {
        GTEST_SKIP() << "/proc is not a separate mount here";
    }
    posix::PosixFileSystem machine{posix::DriveTable{{{'C', "/"}}}};
    ASSERT_TRUE(machine.changeDirectory("C:\\"));
    const FileAttributes attributes = machine.attributes("proc").value_or(0);
    EXPECT_EQ(attributes & (kAttrDirectory | kAttrSystem), kAttrDirectory | kAttrSystem);
}

// As every file counts, so does every link of one: a file with two names counts twice, as the
// original program counts it (du counts it once).
TEST_F(PosixFileSystemTest, AFileWithSeveralLinksCountsOncePerLink)
{
    tree.dir("h");
    tree.dir("h/a");
    tree.dir("h/b");
    tree.file("h/a/file", 5000);
    if (::link(tree.path("h/a/file").c_str(), tree.path("h/b/again").c_str()) != 0 ||
        ::link(tree.path("h/a/file").c_str(), tree.path("h/a/twice").c_str()) != 0) {
        GTEST_SKIP() << "no hard links here: " << std::strerror(errno);
    }
    module().measure("C:\\h");
    EXPECT_EQ(module().totalbytes(), 3u * 8192u) << "three names of one file, each in two clusters";
}

TEST_F(PosixFileSystemTest, NamesRoundTripAsTheirBytes)
{
    const std::string notUtf8 = "bad\xff\xfe";
    tree.dir("n/" + notUtf8);
    tree.file("n/" + notUtf8 + "/inside", 5000);
    tree.dir("n/back\\slash");
    tree.file("n/back\\slash/file\\name", 1);
    tree.file("n/ファイル", 4096);

    module().treelist("C:\\n");
    const std::vector<std::string> lines = lists.wklist1.lines();
    module().measure("C:\\n");

    std::set<std::string> walked(lines.begin(), lines.end());
    EXPECT_EQ(walked, (std::set<std::string>{"C:\\n", "C:\\n\\" + notUtf8, "C:\\n\\back/slash"}));
    EXPECT_EQ(module().totalbytes(), 8192u + 4096u + 4096u);
    ASSERT_TRUE(fileSystem().changeDirectory("C:\\n\\back/slash"));
    EXPECT_EQ(fileSystem().fileLength("file/name"), 1u);
}

TEST_F(PosixFileSystemTest, PathsLongerThanPathMaxAreWalked)
{
    const std::string name(100, 'x');
    constexpr int kLevels = 60;  // about 6000 bytes of path
    static_assert(kLevels * 101 > PATH_MAX);
    tree.dir("long");
    tree.deepChain("long", name, kLevels, 4097);

    module().measure("C:\\long");

    ASSERT_EQ(lists.wklist1.count(), static_cast<std::size_t>(kLevels) + 1);
    EXPECT_GT(lists.wklist1.line(kLevels).size(), static_cast<std::size_t>(PATH_MAX));
    EXPECT_EQ(module().totalbytes(), 8192u);
    EXPECT_TRUE(fileSystem().directoryExists(lists.wklist1.line(kLevels)));
}

TEST_F(PosixFileSystemTest, DeepTreesStayWithinTheDescriptorLimit)
{
    constexpr int kLevels = 2000;
    tree.dir("deep");
    tree.deepChain("deep", "d", kLevels, 1);
    const int before = openDescriptors();

    module().measure("C:\\deep");

    EXPECT_EQ(lists.wklist1.count(), static_cast<std::size_t>(kLevels) + 1);
    EXPECT_EQ(module().totalbytes(), 4096u);
    EXPECT_LT(openDescriptors() - before, 100) << "descriptors held for the current directory";
}

TEST_F(PosixFileSystemTest, DirectoryRemovedWhileTheSurveyRunsIsPassedOver)
{
    tree.dir("r/a");
    tree.file("r/a/f", 4096);
    tree.dir("r/b");
    tree.file("r/b/f", 4096);
    tree.file("r/b/g", 4096);
    tree.dir("r/c");
    tree.file("r/c/f", 4096);
    bool removed = false;
    windowSystem.onYield = [&] {
        if (!removed && lists.wklist1.count() > 1) {
            // Remove whichever of b and c the walk has not reached yet, or the one it is in.
            const std::string victim = lists.wklist1.lines().back() == "C:\\r\\c" ? "r/b" : "r/c";
            for (const char* file : {"/f", "/g"}) {
                ::unlink((tree.path(victim) + file).c_str());
            }
            removed = ::rmdir(tree.path(victim).c_str()) == 0;
        }
    };

    module().measure("C:\\r");

    EXPECT_TRUE(removed);
    EXPECT_EQ(lists.List1.count(), 1u);
    // The directory removed counts as it was when read, if a reader thread read it before, or
    // not at all.
    EXPECT_GE(module().totalbytes(), 2u * 4096);
    EXPECT_LE(module().totalbytes(), 4u * 4096);
}

TEST_F(PosixFileSystemTest, StartsInTheWorkingDirectory)
{
    tree.dir("w/here");
    char saved[PATH_MAX];
    ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(::chdir(tree.path("w/here").c_str()), 0);
    posix::PosixFileSystem started{posix::DriveTable{{{'C', "/"}, {'D', tree.root()}}}};
    ASSERT_EQ(::chdir(saved), 0);

    EXPECT_EQ(started.currentDrive(), 'D');
    EXPECT_EQ(started.currentDirectory('D'), "D:\\w\\here");
    EXPECT_EQ(started.currentDirectory('C'), "C:\\");
}

TEST_F(PosixFileSystemTest, ResolvesUserPathsToDrivePaths)
{
    tree.dir("sub/inner");
    tree.file("sub/file", 1);
    tree.symlink("sub", "via-link");
    posix::PosixFileSystem& fs = fileSystem();

    EXPECT_EQ(fs.resolveDirectory(tree.path("sub/inner")).drivePath, "C:\\sub\\inner");
    EXPECT_EQ(fs.resolveDirectory(tree.path("sub/../sub/")).drivePath, "C:\\sub");
    EXPECT_EQ(fs.resolveDirectory(tree.path("via-link")).drivePath, "C:\\sub");
    EXPECT_EQ(fs.resolveDirectory(tree.root()).drivePath, "C:\\");
    EXPECT_EQ(fs.resolveDirectory("c:\\sub\\inner\\").drivePath, "C:\\sub\\inner");
    EXPECT_EQ(fs.resolveDirectory(tree.path("sub/file")).error, "Not a directory");
    EXPECT_EQ(fs.resolveDirectory(tree.path("missing")).error, "No such file or directory");
    EXPECT_EQ(fs.resolveDirectory("/").drivePath, "A:\\") << "on no drive: a letter for the run";
    EXPECT_EQ(fs.resolveDirectory("Q:\\").error, "there is no drive Q:");
    EXPECT_EQ(fs.resolveDirectory("C:\\sub\\..\\..").error,
              "not a valid drive path: it has the name \"..\", which leads elsewhere");
    EXPECT_EQ(fs.resolveDirectory("C:sub").error, "not a valid drive path: no \"\\\" follows \"C:\"")
        << "not C:\\sub, which Windows would not take it for";
}

// A directory a/b in a fresh directory of /dev/shm, a file system of its own below /dev.
class OtherFileSystemTree {
public:
    OtherFileSystemTree()
    {
        struct stat dev {};
        struct stat shm {};
        std::string pattern = "/dev/shm/mezu-test-XXXXXX";
        if (::stat("/dev", &dev) == 0 && ::stat("/dev/shm", &shm) == 0 && dev.st_dev != shm.st_dev &&
            ::mkdtemp(pattern.data()) != nullptr) {
            name_ = pattern.substr(pattern.rfind('/') + 1);
            made_ = ::mkdir((pattern + "/a").c_str(), 0755) == 0 && ::mkdir((pattern + "/a/b").c_str(), 0755) == 0;
        }
    }
    ~OtherFileSystemTree()
    {
        for (const char* inner : {"/a/b", "/a", ""}) {
            ::rmdir((path() + inner).c_str());
        }
    }
    OtherFileSystemTree(const OtherFileSystemTree&) = delete;
    OtherFileSystemTree& operator=(const OtherFileSystemTree&) = delete;

    bool made() const { return made_; }
    const std::string& name() const { return name_; }
    std::string path() const { return "/dev/shm/" + name_; }

private:
    std::string name_;
    bool made_ = false;
};

TEST_F(PosixFileSystemTest, ADirectoryOnAnotherFileSystemThanItsDriveGetsALetterForTheRun)
{
    OtherFileSystemTree other;
    if (!other.made()) {
        GTEST_SKIP() << "/dev/shm is not a file system of its own below /dev here";
    }
    const auto table = std::make_shared<posix::DriveTable>(posix::DriveTable{{{'C', "/dev"}}});
    posix::PosixFileSystem fs{table};
    posix::PosixDriveQuery query{table};
    struct Case {
        std::string asked;
        std::string drivePath;
    };
    const Case cases[] = {
        {other.path() + "/a/b", "A:\\" + other.name() + "\\a\\b"},
        {"C:\\shm\\" + other.name(), "A:\\" + other.name()},
        {"/dev/shm", "A:\\"},
        {"/dev", "C:\\"},
    };
    for (const Case& c : cases) {
        const ResolvedDirectory resolved = fs.resolveDirectory(c.asked);
        EXPECT_EQ(resolved.drivePath, c.drivePath) << c.asked << ": " << resolved.error;
    }
    EXPECT_EQ(fs.drives(), (std::vector<char>{'A', 'C'}));
    EXPECT_EQ(fs.hostPath("A:\\"), "/dev/shm");
    // The drive query knows the letter, and answers with its own file system's figures.
    struct statvfs shm {};
    struct statvfs dev {};
    ASSERT_EQ(::statvfs("/dev/shm", &shm), 0);
    ASSERT_EQ(::statvfs("/dev", &dev), 0);
    ASSERT_NE(shm.f_blocks, dev.f_blocks);
    EXPECT_EQ(query.getDiskFreeSpace("A:\\").value_or(DiskFreeSpace{}).totalClusters, shm.f_blocks);
    EXPECT_EQ(query.getDiskFreeSpace("C:\\").value_or(DiskFreeSpace{}).totalClusters, dev.f_blocks);

    // With every letter taken there is none to give.
    std::vector<posix::DriveMapping> everyLetter;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        everyLetter.push_back({letter, tree.root()});
    }
    posix::PosixFileSystem full{posix::DriveTable{everyLetter}};
    EXPECT_EQ(full.resolveDirectory(other.path()).error,
              "on a file system without a drive letter (/dev/shm), and every letter from A: to Z: is taken");
}

TEST_F(PosixFileSystemTest, StartsInAWorkingDirectoryOnAnotherFileSystemThanItsDrive)
{
    OtherFileSystemTree other;
    if (!other.made()) {
        GTEST_SKIP() << "/dev/shm is not a file system of its own below /dev here";
    }
    char saved[PATH_MAX];
    ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(::chdir((other.path() + "/a").c_str()), 0);
    posix::PosixFileSystem started{posix::DriveTable{{{'C', "/dev"}}}};
    ASSERT_EQ(::chdir(saved), 0);

    EXPECT_EQ(started.currentDrive(), 'A');
    EXPECT_EQ(started.currentDirectory('A'), "A:\\" + other.name() + "\\a");
    EXPECT_EQ(started.drives(), (std::vector<char>{'A', 'C'})) << "the drive list shows it";
}

}  // namespace
}  // namespace mezu

namespace mezu {
namespace {

TEST(RotationalDiskTest, OnlyADiskThatSpinsAndIsNoVirtualMachinesIsReadOneAtATime)
{
    const struct {
        const char* path;
        const char* rotational;
        const char* model;
        bool spinning;
    } cases[] = {
        {"/sys/devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda", "1", "WDC WD40EFRX-68N",
         true},
        {"/sys/devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda", "0", "Samsung SSD 870",
         false},
        {"/sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda", "1", "", false},
        {"/sys/devices/pci0000:00/0000:00:10.0/host2/target2:0:0/2:0:0:0/block/sdb", "1", "QEMU HARDDISK", false},
        {"/sys/devices/pci0000:00/0000:00:10.0/host2/target2:0:0/2:0:0:0/block/sdc", "1", "Virtual disk", false},
        {"/sys/devices/virtual/block/loop0", "1", "", false},
    };
    for (const auto& [path, rotational, model, spinning] : cases) {
        EXPECT_EQ(posix::isSpinningDisk(path, rotational, model), spinning) << path << " " << model;
    }
}

}  // namespace
}  // namespace mezu
