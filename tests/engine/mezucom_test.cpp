// SPDX-License-Identifier: MIT
#include "engine/mezucom.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string_view>
#include <tuple>
#include <utility>

#include "fake_file_system.h"
#include "fakes.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

class MezucomTest : public ::testing::Test {
protected:
    MezucomTest()
    {
        drives.set('C', test::driveWithCluster(4096));
        drives.set('D', test::driveWithCluster(32768));
        EXPECT_EQ(module.drvinfo("C:\\"), 0);
    }

    test::FakeFileSystem fs{{'C', 'D'}};
    test::FakeDriveQuery drives;
    test::RecordingWindowSystem windowSystem;
    WindowLists lists;
    mezucom module{lists, fs, drives, windowSystem};
};

TEST_F(MezucomTest, WorkedExampleOne)
{
    fs.addFile("C:\\DATA\\zero", 0);
    fs.addFile("C:\\DATA\\one", 1);
    fs.addFile("C:\\DATA\\cluster", 4096);
    fs.addFile("C:\\DATA\\five", 5000);
    fs.addFile("C:\\DATA\\.hidden", 9000);
    fs.addFile("C:\\DATA\\OLD\\ten", 10000);

    module.measure("C:\\DATA");

    EXPECT_EQ(lists.wklist1.lines(), (Lines{"C:\\DATA", "C:\\DATA\\OLD"}));
    EXPECT_EQ(module.totalbytes(), 28672u);
    EXPECT_EQ(lists.List1.lines(), (Lines{"0000.03MB - C:\\DATA               = (28.0KB) (28672 B)"}));
}

TEST_F(MezucomTest, WorkedExampleTwoRoundsWithTheDrivesOwnCluster)
{
    fs.addFile("D:\\WORK\\a", 100000);
    fs.addFile("D:\\WORK\\b", 65536);
    fs.addFile("D:\\WORK\\c", 1000000);
    ASSERT_EQ(module.drvinfo("D:\\WORK"), 0);
    EXPECT_EQ(module.clustersize(), 32768u);

    module.measure("D:\\WORK");

    EXPECT_EQ(lists.List1.lines(), (Lines{"0001.16MB - D:\\WORK               = (1184.0KB) (1212416 B)"}));
}

TEST_F(MezucomTest, EveryFileCountsInWholeClusters)
{
    struct Case {
        std::uint64_t length;
        std::uint64_t allocation;
    };
    const Case cases[] = {
        {0, 0},
        {1, 4096},
        {4095, 4096},
        {4096, 4096},
        {4097, 8192},
        {10000, 12288},
        {1ULL << 31, 1ULL << 31},
        {(1ULL << 31) + 1, (1ULL << 31) + 4096},
        {(1ULL << 32) + 5, (1ULL << 32) + 4096},
    };
    for (const Case& c : cases) {
        test::FakeFileSystem single;
        single.addFile("C:\\T\\f", c.length);
        WindowLists singleLists;
        mezucom singleModule{singleLists, single, drives, windowSystem};
        singleModule.drvinfo("C:\\");
        singleModule.measure("C:\\T");
        EXPECT_EQ(singleModule.totalbytes(), c.allocation) << "length " << c.length;
    }
    EXPECT_EQ(clusterAllocation(4097, 0), 4097u) << "unknown cluster size counts exact length";
    EXPECT_EQ(clusterAllocation(UINT64_MAX, 4096), ByteTotal{1} << 64) << "rounds up past 64 bits";
}

TEST_F(MezucomTest, TotalsNeverWrapPast64Bits)
{
    constexpr std::uint64_t kLargestLength = INT64_MAX;  // the largest a POSIX file can have
    for (const char* name : {"C:\\HUGE\\a", "C:\\HUGE\\b", "C:\\HUGE\\SUB\\c"}) {
        fs.addFile(name, kLargestLength);
    }
    module.measure("C:\\HUGE");
    const ByteTotal each = ByteTotal{kLargestLength} + 1;  // rounded up to whole clusters
    EXPECT_EQ(module.totalbytes(), 3 * each);
    EXPECT_NE(lists.List1.line(0).find("(" + decimalText(3 * each) + " B)"), std::string::npos) << lists.List1.line(0);
    EXPECT_EQ(decimalText(3 * each), "27670116110564327424");
}

TEST_F(MezucomTest, AllocatedModeCountsWhatTheFileSystemReports)
{
    struct File {
        const char* path;
        std::uint64_t length;
        std::uint64_t allocated;
        std::uint64_t inClusters;  // of 4096 bytes
    };
    // Sparse, preallocated, compressed and plain files: allocations the rounding would not give.
    const File files[] = {
        {"C:\\T\\sparse", 1ULL << 30, 0, 1ULL << 30},
        {"C:\\T\\preallocated", 1, 1ULL << 20, 4096},
        {"C:\\T\\SUB\\compressed", 100000, 8192, 102400},
        {"C:\\T\\SUB\\plain", 5000, 8192, 8192},
        {"C:\\T\\.hidden", 10, 4096, 4096},
    };
    ByteTotal rounded = 0;
    ByteTotal allocated = 0;
    for (const File& file : files) {
        fs.addFile(file.path, file.length).allocated = file.allocated;
        if (std::string_view{file.path}.find("\\.") == std::string_view::npos) {
            rounded += file.inClusters;
            allocated += file.allocated;
        }
    }
    fs.addFile("C:\\T\\unreadable", 4096).lengthFails = true;
    ASSERT_NE(rounded, allocated);

    EXPECT_EQ(module.sizeMode(), SizeMode::Clusters);
    for (const auto& [mode, expected] :
         {std::pair{SizeMode::Clusters, rounded}, std::pair{SizeMode::Allocated, allocated}}) {
        module.setSizeMode(mode);
        module.measure("C:\\T");
        EXPECT_EQ(module.totalbytes(), expected) << static_cast<int>(mode);
    }
}

TEST_F(MezucomTest, MeasurementsCountWhatWasReadAndDrivesKeepTheirLastAnswer)
{
    fs.addFile("C:\\T\\a", 1);
    fs.addFile("C:\\T\\SUB\\b", 1);
    fs.addFile("C:\\T\\SUB\\unreadable", 1).lengthFails = true;
    fs.addFile("C:\\T\\LOCKED\\c", 1);
    fs.find("C:\\T\\LOCKED")->enumerationFails = true;
    fs.addFile("C:\\T\\.hidden\\d", 1);
    module.measure("C:\\T");
    module.measure("C:\\T\\SUB");
    ASSERT_EQ(module.measurements().size(), 2u);
    const TreeMeasurement& whole = module.measurements()[0];
    EXPECT_EQ(whole.path, "C:\\T");
    EXPECT_EQ(whole.bytes, module.measurements()[1].bytes + 4096) << "a byte takes a cluster";
    EXPECT_EQ(whole.files, 2u) << "neither the unreadable nor the hidden file counts";
    EXPECT_EQ(whole.directories, 2u) << "neither the locked nor the hidden directory counts";
    EXPECT_EQ(module.measurements()[1].files, 1u);
    EXPECT_EQ(module.measurements()[1].directories, 1u);
    module.forgetMeasurements();
    EXPECT_TRUE(module.measurements().empty());

    ASSERT_EQ(module.drvinfo("D:\\"), 0);
    EXPECT_EQ(module.queriedDrives().size(), 2u);
    drives.unset('D');
    ASSERT_NE(module.drvinfo("D:\\"), 0);
    ASSERT_EQ(module.queriedDrives().size(), 1u);
    EXPECT_EQ(module.queriedDrives().begin()->first, 'C');
}

TEST_F(MezucomTest, ClusterSizeZeroCountsExactLengths)
{
    test::FakeFileSystem single;
    single.addFile("C:\\T\\f", 4097);
    single.addFile("C:\\T\\g", 1);
    WindowLists freshLists;
    mezucom fresh{freshLists, single, drives, windowSystem};
    ASSERT_EQ(fresh.clustersize(), 0u);
    fresh.measure("C:\\T");
    EXPECT_EQ(fresh.totalbytes(), 4098u);
}

TEST_F(MezucomTest, WalkGoesOnAfterEachDescentAndListsEachDirectoryOnce)
{
    fs.addFile("C:\\A\\a", 1);
    fs.addFile("C:\\A\\b", 1);
    fs.addDirectory("C:\\A\\S");
    fs.addDirectory("C:\\A\\S\\S1");
    fs.addFile("C:\\A\\c", 1);
    fs.addDirectory("C:\\A\\T");

    module.treelist("C:\\A");

    EXPECT_EQ(lists.wklist1.lines(), (Lines{"C:\\A", "C:\\A\\S", "C:\\A\\S\\S1", "C:\\A\\T"}));
    EXPECT_EQ(fs.currentDirectory('C'), "C:\\A") << "the walk ends back in its start directory";
}

TEST_F(MezucomTest, PathsAreJoinedWithOneSeparator)
{
    fs.addDirectory("C:\\DOS\\DATA");
    module.treelist("C:\\");
    EXPECT_EQ(lists.wklist1.lines(), (Lines{"C:\\", "C:\\DOS", "C:\\DOS\\DATA"}));
    module.treelist("C:\\DOS\\");
    EXPECT_EQ(lists.wklist1.lines(), (Lines{"C:\\DOS\\", "C:\\DOS\\DATA"}));
    module.sublist("C:\\");
    EXPECT_EQ(lists.wkList2.lines(), (Lines{"C:\\DOS"}));
}

TEST_F(MezucomTest, SublistListsOnlyTheFirstLevel)
{
    fs.addDirectory("C:\\A\\X\\X1");
    fs.addDirectory("C:\\A\\Y");
    fs.addFile("C:\\A\\file", 10);
    module.sublist("C:\\A");
    EXPECT_EQ(lists.wkList2.lines(), (Lines{"C:\\A\\X", "C:\\A\\Y"}));
    EXPECT_EQ(fs.currentDirectory('C'), "C:\\A");

    fs.addFile("C:\\F\\only", 1);
    module.sublist("C:\\F");
    EXPECT_TRUE(lists.wkList2.lines().empty());
}

TEST_F(MezucomTest, HiddenAndSystemEntriesAndAllBelowThemAreLeftOut)
{
    fs.addFile("C:\\R\\plain", 100);
    fs.addFile("C:\\R\\readonly", 100, kAttrReadOnly);
    fs.addFile("C:\\R\\archived", 100, kAttrArchive);
    fs.addFile("C:\\R\\hiddenfile", 100, kAttrHidden);
    fs.addFile("C:\\R\\systemfile", 100, kAttrSystem);
    fs.addDirectory("C:\\R\\HID", kAttrHidden);
    fs.addFile("C:\\R\\HID\\inside", 100);
    fs.addDirectory("C:\\R\\HID\\BELOW");
    fs.addDirectory("C:\\R\\SYS", kAttrSystem);
    fs.addFile("C:\\R\\SYS\\inside", 100);
    fs.addDirectory("C:\\R\\RO", kAttrReadOnly);
    fs.addFile("C:\\R\\RO\\inside", 100);

    module.measure("C:\\R");

    EXPECT_EQ(lists.wklist1.lines(), (Lines{"C:\\R", "C:\\R\\RO"}));
    EXPECT_EQ(module.totalbytes(), 4u * 4096);
    module.sublist("C:\\R");
    EXPECT_EQ(lists.wkList2.lines(), (Lines{"C:\\R\\RO"}));
}

TEST_F(MezucomTest, FailuresAreSkippedAndTheWalkGoesOn)
{
    fs.addFile("C:\\W\\ok", 1);
    fs.addDirectory("C:\\W\\CLOSED").cannotOpen = true;
    fs.addFile("C:\\W\\CLOSED\\x", 1);
    fs.addDirectory("C:\\W\\UNREADABLE").enumerationFails = true;
    fs.addFile("C:\\W\\UNREADABLE\\x", 1);
    fs.addDirectory("C:\\W\\NOATTR").attributesFail = true;
    fs.addFile("C:\\W\\nolength", 1).lengthFails = true;
    fs.addFile("C:\\W\\LAST\\y", 1);

    module.measure("C:\\W");

    EXPECT_EQ(module.directoriesWalked(), 4u) << "W, CLOSED, UNREADABLE and LAST";
    // A measurement's work list keeps only the way down to the last directory it walked.
    EXPECT_EQ(lists.wklist1.lines(), (Lines{"C:\\W", "C:\\W\\LAST"}));
    EXPECT_EQ(module.totalbytes(), 2u * 4096) << "ok and LAST\\y only";
    ASSERT_EQ(lists.List1.count(), 1u);
    EXPECT_EQ(windowSystem.pointers.back(), MousePointer::Default);

    fs.find("C:\\W")->cannotOpen = true;
    module.measure("C:\\W");
    EXPECT_EQ(lists.wklist1.lines(), (Lines{"C:\\W"}));
    EXPECT_EQ(lists.List1.line(1), "0000.00MB - C:\\W                  = (0.0KB) (0 B)");
    module.sublist("C:\\W");
    EXPECT_TRUE(lists.wkList2.lines().empty());
}

TEST_F(MezucomTest, DirectoriesThatCannotBeReadAreKeptOnceInTheOrderMet)
{
    fs.addFile("C:\\W\\ok", 1);
    fs.addDirectory("C:\\W\\CLOSED").cannotOpen = true;
    test::FakeFileSystem::Node& unreadable = fs.addDirectory("C:\\W\\SUB\\UNREADABLE");
    unreadable.enumerationFails = true;
    unreadable.failure = "Input/output error";
    fs.addDirectory("C:\\W\\PARTLY").missedEntries = "Permission denied";
    fs.addFile("C:\\W\\PARTLY\\seen", 4096);
    const std::vector<SkippedDirectory> expected = {{"C:\\W\\CLOSED", "Permission denied"},
                                                    {"C:\\W\\SUB\\UNREADABLE", "Input/output error"},
                                                    {"C:\\W\\PARTLY", "Permission denied"}};

    module.measure("C:\\W");
    EXPECT_EQ(module.skippedDirectories(), expected);
    EXPECT_EQ(module.totalbytes(), 2u * 4096) << "what could be read still counts";
    module.sublist("C:\\W");
    for (const std::string& subdirectory : lists.wkList2.lines()) {
        module.measure(subdirectory);
    }
    EXPECT_EQ(module.skippedDirectories(), expected) << "a second walk names none again";

    module.forgetSkipped();
    EXPECT_TRUE(module.skippedDirectories().empty());
    fs.addDirectory("C:\\GONE");
    fs.find("C:\\GONE")->cannotOpen = true;
    module.sublist("C:\\GONE");
    EXPECT_EQ(module.skippedDirectories(), (std::vector<SkippedDirectory>{{"C:\\GONE", "Permission denied"}}));
}

TEST_F(MezucomTest, EntriesVanishingDuringTheWalkLoseNothingElse)
{
    fs.addDirectory("C:\\V\\A\\A1");
    fs.addDirectory("C:\\V\\B");
    fs.addFile("C:\\V\\B\\b", 4096);
    fs.addDirectory("C:\\V\\C");
    fs.addFile("C:\\V\\C\\c", 4096);
    bool removed = false;
    windowSystem.onYield = [&] {
        // While A is being walked, B disappears and A is renamed.
        if (!removed && fs.currentDirectory('C') == "C:\\V\\A\\A1") {
            fs.remove("C:\\V\\B");
            fs.rename("C:\\V\\A", "A-renamed");
            removed = true;
        }
    };
    fs.addFile("C:\\V\\A\\A1\\f1", 1);
    fs.addFile("C:\\V\\A\\A1\\f2", 1);

    module.measure("C:\\V");

    EXPECT_TRUE(removed);
    EXPECT_EQ(module.directoriesWalked(), 4u) << "V, A, A1 and C";
    EXPECT_EQ(lists.wklist1.lines(), (Lines{"C:\\V", "C:\\V\\C"}));
    EXPECT_EQ(module.totalbytes(), 3 * 4096u) << "A1's files as they were when it was read, and C\\c";
}

TEST_F(MezucomTest, StartDirectoryRemovedMidWalkEndsItQuietly)
{
    fs.addDirectory("C:\\GONE\\SUB");
    fs.addDirectory("C:\\GONE\\LATER");
    windowSystem.onYield = [&] {
        if (fs.find("C:\\GONE") != nullptr) {
            fs.remove("C:\\GONE");
        }
    };
    fs.addFile("C:\\GONE\\SUB\\x", 1);
    module.measure("C:\\GONE");
    ASSERT_EQ(lists.List1.count(), 1u);
    EXPECT_EQ(lists.wklist1.line(0), "C:\\GONE");
}

// Runs `work` on a thread with a stack far smaller than a recursive walk of the test tree needs.
void onSmallStack(const std::function<void()>& work)
{
    constexpr std::size_t kStackBytes = 128 * 1024;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackBytes);
    pthread_t thread;
    auto run = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

TEST_F(MezucomTest, VeryDeepTreesDoNotExhaustTheStack)
{
    constexpr int kDepth = 5000;
    std::string path = "C:\\DEEP";
    fs.addDirectory(path);
    auto* node = fs.find(path);
    for (int i = 0; i < kDepth; ++i) {
        auto child = std::make_shared<test::FakeFileSystem::Node>();
        child->name = "d";
        child->attributes = kAttrDirectory;
        node->children.push_back(child);
        node = child.get();
    }
    auto file = std::make_shared<test::FakeFileSystem::Node>();
    file->name = "f";
    file->length = 1;
    node->children.push_back(file);

    onSmallStack([&] { module.measure(path); });

    EXPECT_EQ(lists.wklist1.count(), static_cast<std::size_t>(kDepth) + 1);
    EXPECT_EQ(module.totalbytes(), 4096u);
}

TEST_F(MezucomTest, EachMeasurementStartsFromZeroWithTheBusyPointer)
{
    fs.addFile("C:\\M\\f", 5000);
    module.measure("C:\\M");
    module.measure("C:\\M");
    ASSERT_EQ(lists.List1.count(), 2u);
    EXPECT_EQ(lists.List1.line(0), lists.List1.line(1));
    EXPECT_EQ(module.totalbytes(), 8192u);
    EXPECT_EQ(windowSystem.pointers, (std::vector<MousePointer>{MousePointer::Busy, MousePointer::Default,
                                                                MousePointer::Busy, MousePointer::Default}));
}

TEST_F(MezucomTest, YieldsBetweenEveryTwoNamesAndAfterEveryDirectory)
{
    fs.addFile("C:\\Y\\a", 1);
    fs.addFile("C:\\Y\\b", 1);
    fs.addDirectory("C:\\Y\\S");
    fs.addFile("C:\\Y\\S\\c", 1);
    module.measure("C:\\Y");
    // One walk lists and adds up each directory: a yield follows each entry it handles and each
    // directory it finishes.
    const int entryYields = 3 + 1;  // in Y: a, b, S; in S: c
    const int directoryYields = 2;
    EXPECT_EQ(windowSystem.yields, entryYields + directoryYields);
}

TEST_F(MezucomTest, FilesDirectlyInTheMeasuredDirectoryCountOnce)
{
    fs.addFile("C:\\ONCE\\top", 4096);
    fs.addFile("C:\\ONCE\\SUB\\below", 4096);
    module.measure("C:\\ONCE");
    EXPECT_EQ(module.totalbytes(), 8192u);
}

TEST_F(MezucomTest, SubdirectoriesMeasuredFromTheLastWalkMatchTheirOwnWalks)
{
    fs.addFile("C:\\T\\top", 1);
    fs.addFile("C:\\T\\A\\a", 5000);
    fs.addFile("C:\\T\\A\\DEEP\\d", 9000);
    fs.addDirectory("C:\\T\\A\\SHUT").cannotOpen = true;
    fs.addDirectory("C:\\T\\EMPTY");
    fs.addDirectory("C:\\T\\UNREAD").enumerationFails = true;
    fs.addDirectory("C:\\T\\.hid\\h");
    fs.addFile("C:\\T\\Z\\z", 4096);
    const auto figures = [](const TreeMeasurement& m) { return std::tuple{m.path, m.bytes, m.files, m.directories}; };

    module.measure("C:\\T");
    module.sublist("C:\\T");
    const Lines subdirectories = lists.wkList2.lines();
    ASSERT_EQ(subdirectories.size(), 4u);
    for (const std::string& subdirectory : subdirectories) {
        ASSERT_TRUE(module.measureFromLastWalk(subdirectory)) << subdirectory;
    }
    const std::string walkEnd = fs.currentDirectory('C').value();
    const Lines kept{lists.List1.lines().begin() + 1, lists.List1.lines().end()};
    const std::vector<TreeMeasurement> keptFigures{module.measurements().begin() + 1, module.measurements().end()};
    const std::vector<SkippedDirectory> skipped = module.skippedDirectories();

    struct Refused {
        const char* path;
        const char* why;
    };
    for (const Refused& refused :
         {Refused{"C:\\T", "the tree itself"}, Refused{"C:\\T\\A\\DEEP", "not immediate"},
          Refused{"C:\\T\\.hid", "not walked"}, Refused{"C:\\TA", "not below"}, Refused{"C:\\U\\A", "another tree"}}) {
        EXPECT_FALSE(module.measureFromLastWalk(refused.path)) << refused.why;
    }

    lists.List1.clear();
    module.forgetMeasurements();
    for (const std::string& subdirectory : subdirectories) {
        module.measure(subdirectory);
    }
    EXPECT_EQ(kept, lists.List1.lines());
    ASSERT_EQ(keptFigures.size(), module.measurements().size());
    for (std::size_t i = 0; i < keptFigures.size(); ++i) {
        EXPECT_EQ(figures(keptFigures[i]), figures(module.measurements()[i]));
    }
    EXPECT_EQ(skipped, module.skippedDirectories()) << "their own walks find nothing more";
    EXPECT_EQ(walkEnd, fs.currentDirectory('C').value()) << "the last ends where its own walk would";
    EXPECT_FALSE(module.measureFromLastWalk("C:\\T\\Z")) << "only the tree of the last measure";
    module.measure("C:\\T");
    module.forgetMeasurements();
    EXPECT_FALSE(module.measureFromLastWalk("C:\\T\\Z")) << "not into a new command";
}

TEST_F(MezucomTest, DriveQueryFillsAndEmptiesDlist)
{
    ASSERT_EQ(module.drvinfo("D:\\deep\\in\\the\\drive"), 0);
    const Lines deep = lists.dlist.lines();
    ASSERT_EQ(module.drvinfo("D:\\"), 0);
    EXPECT_EQ(lists.dlist.lines(), deep) << "two calls leave two lines, the drive's own";
    EXPECT_EQ(deep, (Lines{"D drive: Total = 2047 MB, Free = 1000 MB",
                           "   Sector =  512 , Claster =  64 , Block =  32768 B"}));
    ASSERT_EQ(module.drvinfo("d:\\"), 0);
    EXPECT_EQ(lists.dlist.line(0).substr(0, 8), "d drive:");

    EXPECT_EQ(module.drvinfo("Q:\\"), 1);
    EXPECT_TRUE(lists.dlist.lines().empty());
    EXPECT_EQ(module.clustersize(), 32768u) << "a failed query keeps the cluster size";
    EXPECT_EQ(drives.queried.back(), "Q:\\");
    EXPECT_EQ(module.drvinfo("C:\\"), 0);
    EXPECT_EQ(lists.dlist.count(), 2u);
}

}  // namespace
}  // namespace mezu
