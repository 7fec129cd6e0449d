// SPDX-License-Identifier: MIT
// The read scheduler over a synthetic source: every directory read once and in full, what is
// read ahead kept within its budget, threads started only as the reads show they wait, and
// memory running out in any thread ending the walk.
#include "platform/scheduled_tree_walk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace mezu {
namespace {

// What a read keeps for its subdirectories' reads: names its directory, and counts those alive.
struct KeptFor final : DirectorySource::Opened {
    KeptFor(std::string directory, std::atomic<int>& counter)
        : path(std::move(directory)),
          alive(counter)
    {
        ++alive;
    }
    ~KeptFor() override { --alive; }
    KeptFor(const KeptFor&) = delete;
    KeptFor& operator=(const KeptFor&) = delete;
    std::string path;
    std::atomic<int>& alive;
};

// A tree of `fanout` subdirectories down to `depth` levels, each directory with `files` files
// of one byte; reads may be made to take a while, or to run out of memory at a path.
class SyntheticSource final : public DirectorySource {
public:
    SyntheticSource(int fanout, int depth, int files)
        : fanout_(fanout),
          depth_(depth),
          files_(files)
    {
    }

    Read read(const Request& request, TaskSharing&) override
    {
        const std::string path = request.path();
        const auto* kept = dynamic_cast<const KeptFor*>(request.parent);
        const bool top = request.name.empty();
        {
            const std::lock_guard lock{mutex_};
            ++reads_[path];
            if (top ? kept != nullptr : kept == nullptr || kept->path != path.substr(0, path.rfind('\\'))) {
                ++wrongParents_;
            }
        }
        if (path == outOfMemoryAt) {
            throw std::bad_alloc{};
        }
        std::this_thread::sleep_for(delay);
        const int level = static_cast<int>(std::count(path.begin(), path.end(), '\\')) - 1;
        const int subdirectories = level < depth_ ? fanout_ : 0;
        const std::size_t count = static_cast<std::size_t>(subdirectories + files_);
        PackedEntries packed = packEntries(count, count * kNameLength);
        for (std::size_t i = 0; i < count; ++i) {
            char* name = packed.names + i * kNameLength;
            const std::string text =
                (i < static_cast<std::size_t>(subdirectories) ? "d" : "f") + std::to_string(10000 + i).substr(1);
            std::memcpy(name, text.data(), kNameLength);
            const bool directory = i < static_cast<std::size_t>(subdirectories);
            new (packed.entries + i) WalkEntry{{name, kNameLength}, {directory ? kAttrDirectory : kAttrNormal, 1, 1}};
        }
        Read read;
        read.listing.opened = read.listing.readable = true;
        read.listing.entries = {packed.entries, count};
        read.memory = std::move(packed.memory);
        read.bytes = packed.bytes;
        if (subdirectories > 0) {
            read.opened = std::make_shared<KeptFor>(path, keptAlive);
            mostKeptAlive = std::max(mostKeptAlive.load(), keptAlive.load());
        }
        return read;
    }

    int wrongParents()
    {
        const std::lock_guard lock{mutex_};
        return wrongParents_;
    }

    std::map<std::string, int> reads()
    {
        const std::lock_guard lock{mutex_};
        return reads_;
    }

    std::chrono::microseconds delay{0};
    std::string outOfMemoryAt;
    std::atomic<int> keptAlive{0};
    std::atomic<int> mostKeptAlive{0};

private:
    static constexpr std::size_t kNameLength = 5;
    int fanout_;
    int depth_;
    int files_;
    std::mutex mutex_;
    std::map<std::string, int> reads_;
    int wrongParents_ = 0;  // reads not handed what their parent's read kept
};

struct WalkFigures {
    std::size_t directories = 0;
    std::size_t files = 0;
    std::size_t mostAhead = 0;  // the most bytes read ahead seen
};

// Walks depth first, as the engine does, handing each directory back when it is done.
WalkFigures walkAll(ScheduledTreeWalk& walk)
{
    WalkFigures figures;
    struct Level {
        TreeWalk::Directory* directory;
        std::size_t next;
    };
    std::vector<Level> levels{{&walk.top(), 0}};
    ++figures.directories;
    while (!levels.empty()) {
        Level& level = levels.back();
        const TreeWalk::Listing& listing = walk.listing(*level.directory);
        figures.mostAhead = std::max(figures.mostAhead, walk.bytesAhead());
        if (level.next == listing.entries.size()) {
            walk.done(*level.directory);
            levels.pop_back();
            continue;
        }
        const std::size_t index = level.next++;
        if (isDirectory(listing.entries[index].figures.attributes)) {
            ++figures.directories;
            levels.push_back({&walk.subdirectory(*level.directory, index), 0});
        } else {
            ++figures.files;
        }
    }
    return figures;
}

TEST(ScheduledTreeWalkTest, ReadsEachDirectoryOnceWithAnyNumberOfThreads)
{
    for (const unsigned threads : {1U, 2U, 8U}) {
        SyntheticSource source{4, 4, 3};  // 341 directories
        {
            ScheduledTreeWalk walk{source, "C:\\t", {threads, 2}};
            const WalkFigures figures = walkAll(walk);
            EXPECT_EQ(figures.directories, 341u) << threads;
            EXPECT_EQ(figures.files, 341u * 3) << threads;
            EXPECT_EQ(walk.bytesAhead(), 0u) << "every directory handed back";
            if (threads == 1) {
                // Four levels have subdirectories: what each read kept goes with its last one's read.
                EXPECT_LE(source.mostKeptAlive, 4) << "only the way down keeps what its reads kept";
            }
        }
        const auto reads = source.reads();
        EXPECT_EQ(reads.size(), 341u) << threads;
        EXPECT_TRUE(std::all_of(reads.begin(), reads.end(), [](const auto& read) { return read.second == 1; }))
            << threads;
        EXPECT_EQ(source.wrongParents(), 0) << threads;
        EXPECT_EQ(source.keptAlive, 0) << threads;
    }
}

TEST(ScheduledTreeWalkTest, WhatIsReadAheadStaysWithinItsBudget)
{
    constexpr unsigned kThreads = 4;
    SyntheticSource source{8, 3, 40};  // 585 directories of some KiB each
    // What one directory with subdirectories costs, as the walk counts it: no listing costs more.
    ScheduledTreeWalk one{source, "C:\\t", {1, 1}};
    one.listing(one.top());
    const std::size_t largestListing = one.bytesAhead();

    SyntheticSource walked{8, 3, 40};
    const std::size_t budget = 4 * largestListing;
    ScheduledTreeWalk walk{walked, "C:\\t", {kThreads, kThreads, budget}};
    const WalkFigures figures = walkAll(walk);
    EXPECT_EQ(figures.directories, 585u);
    // Past the budget no thread starts a read ahead, but each of those under way may add its
    // listing, and the walker's own reads down the directories it goes into are never held back.
    constexpr std::size_t kLevels = 4;
    EXPECT_LE(figures.mostAhead, budget + (kThreads + kLevels) * largestListing);
    EXPECT_LT(figures.mostAhead, 585 * largestListing / 4) << "the tree was not read ahead whole";
}

TEST(ScheduledTreeWalkTest, ThreadsAreStartedOnlyWhileReadsWait)
{
    SyntheticSource quick{4, 3, 2};
    ScheduledTreeWalk fromMemory{quick, "C:\\t", {64, 2}};
    walkAll(fromMemory);
    EXPECT_LE(fromMemory.readersStarted(), 1u) << "the cores suffice";

    SyntheticSource slow{4, 3, 2};
    slow.delay = std::chrono::milliseconds{2};
    ScheduledTreeWalk waiting{slow, "C:\\t", {64, 2}};
    walkAll(waiting);
    EXPECT_GE(waiting.readersStarted(), 7u) << "reads in flight grow while each waits";
}

TEST(ScheduledTreeWalkTest, MemoryRunningOutInAnyThreadEndsTheWalk)
{
    for (const unsigned threads : {1U, 4U}) {
        SyntheticSource source{3, 3, 1};
        source.outOfMemoryAt = "C:\\t\\d0001\\d0002";
        ScheduledTreeWalk walk{source, "C:\\t", {threads, threads}};
        EXPECT_THROW(walkAll(walk), std::bad_alloc) << threads;
    }
    // Left in the middle, a walk ends cleanly with its readers still reading ahead.
    SyntheticSource source{6, 4, 1};
    source.delay = std::chrono::microseconds{300};
    ScheduledTreeWalk walk{source, "C:\\t", {16, 2}};
    walk.listing(walk.top());
    walk.listing(walk.subdirectory(walk.top(), 0));
}

}  // namespace
}  // namespace mezu
