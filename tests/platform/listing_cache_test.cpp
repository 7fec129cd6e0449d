// Reading each directory once per command, with or without reader threads, must not change a
// single figure: surveys of the same tree agree with the plain reads of the uncached backend,
// also after the tree changes between two commands.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/mezucom.h"
#include "fakes.h"
#include "platform/posix/listing_cache.h"
#include "platform/posix/posix_file_system.h"
#include "survey/directory_survey.h"
#include "temp_tree.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

constexpr unsigned kUncached = 0;
const std::vector<unsigned> kCachedModes = {1, 2, 4};

struct SurveyResult {
    Lines walk;     // the directories of the whole tree, in walk order
    Lines results;  // the sorted result lines
    Lines footer;
    bool operator==(const SurveyResult&) const = default;
};

// A survey as the window runs it: one command around the walk of the tree and the survey.
SurveyResult survey(posix::PosixFileSystem& fileSystem, const std::string& directory)
{
    WindowLists lists;
    test::FakeDriveQuery drives;
    drives.set('C', test::driveWithCluster(4096));
    test::RecordingWindowSystem windowSystem;
    mezucom module{lists, fileSystem, drives, windowSystem};
    module.drvinfo("C:\\");

    fileSystem.commandStarted();
    module.measure(directory);
    SurveyResult result;
    result.walk = lists.wklist1.lines();
    directorySurvey(lists, module, windowSystem, LocalDateTime{}, directory);
    fileSystem.commandFinished();
    result.results = lists.List1.lines();
    result.footer = lists.List3.lines();
    return result;
}

std::string repeated(const std::string& stem, int index)
{
    return stem + std::to_string(index);
}

// The edge cases of a real tree, built anew for each test.
void buildTree(test::TempTree& tree)
{
    tree.dir("t/a/b/c");
    tree.file("t/a/f0", 0);
    tree.file("t/a/b/f4095", 4095);
    tree.file("t/a/b/c/f4097", 4097);
    tree.file("t/a/sparse2g", 1ULL << 31);
    tree.dir("t/a/.hidden/inner");
    tree.file("t/a/.hidden/inner/f", 50000);
    tree.file("t/a/.hiddenfile", 9000);
    tree.symlink("..", "t/a/loop");
    tree.symlink("f0", "t/a/link");
    tree.fifo("t/a/pipe");
    tree.dir("t/日本/データ");
    tree.file("t/日本/データ/ファイル.txt", 10);
    tree.dir("t/back\\slash");
    tree.file("t/back\\slash/f", 1);
    tree.dir("t/n\xff");
    tree.file("t/n\xff/f", 4096);
    tree.dir("t/empty");
    // More entries than one read of the directory returns.
    tree.dir("t/big");
    for (int i = 0; i < 3000; ++i) {
        tree.file(repeated("t/big/a-rather-long-file-name-to-fill-the-read-buffer-", i), i % 7);
    }
    // Many directories with subdirectories, so that readers hold many parents at once.
    for (int i = 0; i < 300; ++i) {
        const std::string directory = repeated("t/wide/d", i);
        tree.dir(directory + "/sub");
        tree.file(directory + "/sub/f", static_cast<std::uint64_t>(i) * 100);
    }
    tree.deepChain("t/a", "deep", 300, 1);
}

void changeTree(test::TempTree& tree)
{
    tree.file("t/a/b/c/new", 5000);
    tree.dir("t/a/b/c/newdir");
    tree.file("t/a/b/c/newdir/f", 1);
    ASSERT_EQ(::truncate(tree.path("t/日本/データ/ファイル.txt").c_str(), 9000), 0);
    ASSERT_EQ(::unlink(tree.path("t/wide/d7/sub/f").c_str()), 0);
    ASSERT_EQ(::rmdir(tree.path("t/wide/d7/sub").c_str()), 0);
    ASSERT_EQ(::rename(tree.path("t/big").c_str(), tree.path("t/moved").c_str()), 0);
}

class ListingCacheTest : public ::testing::Test {
protected:
    std::unique_ptr<posix::PosixFileSystem> fileSystem(unsigned readerThreads)
    {
        return std::make_unique<posix::PosixFileSystem>(posix::DriveTable{{{'C', tree.root()}}},
                                                        readerThreads);
    }

    test::TempTree tree;
};

TEST_F(ListingCacheTest, SurveysAgreeWithPlainReadsBeforeAndAfterTheTreeChanges)
{
    buildTree(tree);
    const SurveyResult before = survey(*fileSystem(kUncached), "C:\\t");
    ASSERT_EQ(before.results.size(), 8u) << "the tree and its seven subdirectories";
    ASSERT_GT(before.walk.size(), 600u);

    std::vector<std::unique_ptr<posix::PosixFileSystem>> cached;
    for (const unsigned threads : kCachedModes) {
        cached.push_back(fileSystem(threads));
        EXPECT_EQ(survey(*cached.back(), "C:\\t"), before) << threads << " threads";
    }

    changeTree(tree);
    const SurveyResult after = survey(*fileSystem(kUncached), "C:\\t");
    ASSERT_NE(after.results, before.results);
    for (std::size_t i = 0; i < cached.size(); ++i) {
        EXPECT_EQ(survey(*cached[i], "C:\\t"), after)
            << kCachedModes[i] << " threads, second command of the same file system";
    }
}

// Every listing of the tree below `root`, asked for depth first as a walk asks: each entry as
// "name attributes length" (a hidden one by its name alone), by drive path.
std::map<std::string, Lines> readThrough(posix::ListingCache& cache, const std::string& root)
{
    std::map<std::string, Lines> listings;
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string path = pending.back();
        pending.pop_back();
        posix::ListingCache::Slot& slot = cache.directory(path);
        const posix::DirectoryListing* listing = &cache.listing(slot);
        Lines& lines = listings[path];
        if (!listing->readable) {
            lines.push_back("cannot be read: " + std::to_string(listing->error));
            continue;
        }
        for (std::size_t i = 0; i < listing->count; ++i) {
            const std::string name{listing->name(i)};
            if (name.starts_with(".")) {
                lines.push_back(name + " hidden");  // examined only when asked for, by path
                continue;
            }
            const EntryFigures figures = cache.entryFigures(slot, i).value_or(EntryFigures{});
            const FileAttributes attributes = figures.attributes;
            lines.push_back(name + " " + std::to_string(attributes) + " " + std::to_string(figures.length));
            if (isDirectory(attributes) && (attributes & (kAttrHidden | kAttrSystem)) == 0) {
                pending.push_back(path + "\\" + name);
            }
        }
    }
    return listings;
}

TEST_F(ListingCacheTest, ParentsPastTheLimitAreOpenedByPathWithTheSameListings)
{
    buildTree(tree);
    std::atomic<int> openedByPath = 0;
    // Drive paths below C:\ map onto the tree; "/" in a drive name is "\" on the host.
    const auto openByPath = [&](const std::string& drivePath) {
        ++openedByPath;
        posix::UniqueFd directory{::open(tree.root().c_str(), O_PATH | O_DIRECTORY)};
        std::size_t start = 3;
        while (directory.valid() && start < drivePath.size()) {
            const std::size_t end = std::min(drivePath.find('\\', start), drivePath.size());
            std::string name = drivePath.substr(start, end - start);
            std::replace(name.begin(), name.end(), '/', '\\');
            directory = posix::UniqueFd{::openat(directory.get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW)};
            start = end + 1;
        }
        return directory;
    };

    posix::ListingCache plain{0, openByPath};
    const std::map<std::string, Lines> expected = readThrough(plain, "C:\\t");
    ASSERT_GT(expected.size(), 600u);
    EXPECT_EQ(openedByPath, 1) << "below the first directory, each opens from its parent";

    for (const int mostHeld : {0, 1}) {
        openedByPath = 0;
        posix::ListingCache limited{3, openByPath, mostHeld};
        EXPECT_EQ(readThrough(limited, "C:\\t"), expected) << "at most " << mostHeld << " parents held";
        EXPECT_GT(openedByPath, 100) << "at most " << mostHeld << " parents held";
    }

    // Told that no directory holds a mount point, the cache examines each subdirectory when it
    // reads it: the same figures, and each directory asked for by its path found through its
    // parent (only parents past the limit, held while all their subdirectories are examined
    // first, make some open by path).
    for (const unsigned readers : {0u, 3u}) {
        openedByPath = 0;
        posix::ListingCache examinedWhenRead{readers, openByPath, posix::ListingCache::kMostHeldParents,
                                             posix::MountPointParents::of({})};
        EXPECT_EQ(readThrough(examinedWhenRead, "C:\\t"), expected) << readers << " readers";
        EXPECT_LT(openedByPath, 100) << readers << " readers";
    }
    // One asked for by its path before anything examined it is found through its parent too.
    openedByPath = 0;
    posix::ListingCache direct{0, openByPath, posix::ListingCache::kMostHeldParents, posix::MountPointParents::of({})};
    posix::ListingCache::Slot& top = direct.directory("C:\\t");
    const posix::DirectoryListing& listing = direct.listing(top);
    std::size_t first = 0;
    while (first < listing.count && listing.attributes(first) != kAttrDirectory) {
        ++first;
    }
    ASSERT_LT(first, listing.count);
    posix::ListingCache::Slot& below = direct.directory("C:\\t\\" + std::string{listing.name(first)});
    EXPECT_EQ(direct.parent(below), &top);
    EXPECT_EQ(openedByPath, 1);
}

TEST_F(ListingCacheTest, ACommandAnswersFromItsListingsUntilItEnds)
{
    tree.dir("d");
    tree.file("d/f", 4097);
    for (const unsigned threads : kCachedModes) {
        tree.file("d/g", 10);
        auto fs = fileSystem(threads);
        fs->commandStarted();
        ASSERT_TRUE(fs->changeDirectory("C:\\d"));
        ASSERT_EQ(::unlink(tree.path("d/g").c_str()), 0);
        EXPECT_EQ(fs->fileLength("g"), 10u) << "read once, at the start of the command";
        auto enumeration = fs->startEnumeration(kEveryName, kAttrNormal);
        ASSERT_NE(enumeration, nullptr);
        fs->commandFinished();

        Lines names;
        for (std::string name = enumeration->next(); !name.empty(); name = enumeration->next()) {
            names.push_back(name);
        }
        EXPECT_EQ(names.size(), 2u) << "an enumeration may outlive its command";
        ASSERT_TRUE(fs->changeDirectory("C:\\d"));
        EXPECT_FALSE(fs->fileLength("g").has_value()) << "the next read sees the disk afresh";
        EXPECT_EQ(fs->fileLength("f"), 4097u);
    }
}

TEST_F(ListingCacheTest, DirectoriesThatCannotBeOpenedFailInsideACommandAsOutside)
{
    tree.dir("d/sub");
    tree.file("d/file", 1);
    tree.symlink("sub", "d/link");
    for (const unsigned threads : {kUncached, 1u, 3u}) {
        auto fs = fileSystem(threads);
        fs->commandStarted();
        EXPECT_TRUE(fs->changeDirectory("C:\\d\\sub")) << threads;
        EXPECT_FALSE(fs->changeDirectory("C:\\d\\file")) << threads;
        EXPECT_FALSE(fs->changeDirectory("C:\\d\\link")) << threads;
        EXPECT_FALSE(fs->changeDirectory("C:\\d\\missing")) << threads;
        EXPECT_TRUE(fs->changeDirectory("c:\\d\\sub\\")) << threads;
        EXPECT_EQ(fs->currentDirectory('C'), "C:\\d\\sub") << threads;
        fs->commandFinished();
    }
}

TEST_F(ListingCacheTest, EntriesExaminedAfterTheirDirectoryShowWhatLstatShows)
{
    // Subdirectories of directories without mount points are examined when they are read, and
    // hidden entries when they are asked for; what a command says of them must be what a plain
    // lstat says, gone ones included.
    for (const char* name : {"d/open", "d/readonly", "d/locked", "d/gone", "d/.hidden"}) {
        tree.dir(name);
    }
    tree.file("d/.dotfile", 5000);
    ::chmod(tree.path("d/readonly").c_str(), 0555);
    ::chmod(tree.path("d/locked").c_str(), 0);
    const std::vector<std::string> names = {"open", "readonly", "locked", ".hidden", ".dotfile", "gone"};
    auto plain = fileSystem(kUncached);
    ASSERT_TRUE(plain->changeDirectory("C:\\d"));
    for (const unsigned threads : {1u, 3u}) {
        ASSERT_EQ(::mkdir(tree.path("d/gone").c_str(), 0755) == 0 || errno == EEXIST, true);
        auto fs = fileSystem(threads);
        fs->commandStarted();
        ASSERT_TRUE(fs->changeDirectory("C:\\d"));
        ASSERT_EQ(::rmdir(tree.path("d/gone").c_str()), 0);
        for (const std::string& name : names) {
            if (name == "gone" && threads > 1) {
                continue;  // a reader thread may have read it before it went
            }
            EXPECT_EQ(fs->attributes(name), plain->attributes(name)) << name << ", " << threads;
            EXPECT_EQ(fs->fileLength(name), plain->fileLength(name)) << name << ", " << threads;
            EXPECT_EQ(fs->allocatedBytes(name), plain->allocatedBytes(name)) << name << ", " << threads;
        }
        fs->commandFinished();
    }
    ::chmod(tree.path("d/locked").c_str(), 0755);
}

TEST_F(ListingCacheTest, AMountPointOpenedBeforeItIsExaminedIsNeverRead)
{
    struct stat root {};
    struct stat proc {};
    if (::stat("/", &root) != 0 || ::stat("/proc", &proc) != 0 || root.st_dev == proc.st_dev) {
        GTEST_SKIP() << "/proc is not a separate mount here";
    }
    // Told that no directory holds a mount point, the cache opens /proc before examining it.
    posix::ListingCache cache{0, [](const std::string&) { return posix::UniqueFd{::open("/", O_PATH | O_DIRECTORY)}; },
                              posix::ListingCache::kMostHeldParents, posix::MountPointParents::of({})};
    posix::ListingCache::Slot& slash = cache.directory("C:\\");
    const posix::DirectoryListing& listing = cache.listing(slash);
    const std::size_t index = listing.find("proc", 0);
    ASSERT_NE(index, posix::DirectoryListing::kNotFound);
    const std::optional<EntryFigures> figures = cache.entryFigures(slash, index);
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->attributes & (kAttrDirectory | kAttrSystem), kAttrDirectory | kAttrSystem);
    posix::ListingCache::Slot* child = cache.child(slash, index);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(cache.isOtherFileSystem(*child));
    EXPECT_EQ(cache.listing(*child).count, 0u);
    EXPECT_TRUE(posix::MountPointParents::of({"/proc"}).mayHoldMountPoint(root.st_dev, root.st_ino));
    EXPECT_FALSE(posix::MountPointParents::of({"/proc"}).mayHoldMountPoint(proc.st_dev, proc.st_ino));
    EXPECT_TRUE(posix::MountPointParents{}.mayHoldMountPoint(proc.st_dev, proc.st_ino)) << "nothing known";
}

}  // namespace
}  // namespace mezu
