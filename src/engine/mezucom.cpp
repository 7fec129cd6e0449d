// SPDX-License-Identifier: MIT
#include "engine/mezucom.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "model/path_text.h"
#include "platform/tree_walk.h"
#include "report/drive_lines.h"
#include "report/result_line.h"

namespace mezu {
namespace {

// The walk enumerates directories and ordinary files; dirsize only ordinary files.
constexpr FileAttributes kWalkMask = kAttrDirectory;
constexpr FileAttributes kFilesOnlyMask = kAttrNormal;
// Why a directory was skipped when the file system does not say.
constexpr std::string_view kUnknownReason = "cannot be read";

}  // namespace

mezucom::mezucom(WindowLists& lists, FileSystem& fileSystem, DriveQuery& driveQuery, WindowSystem& windowSystem,
                 std::string decimalSeparator)
    : lists_(lists),
      fileSystem_(fileSystem),
      driveQuery_(driveQuery),
      windowSystem_(windowSystem),
      decimalSeparator_(std::move(decimalSeparator))
{
}

bool mezucom::makeCurrent(const std::string& path)
{
    return !path.empty() && fileSystem_.changeDrive(driveLetterOf(path)) && fileSystem_.changeDirectory(path);
}

void mezucom::skip(const std::string& path, std::string reason)
{
    if (skippedPaths_.insert(path).second) {
        skipped_.push_back({path, reason.empty() ? std::string{kUnknownReason} : std::move(reason)});
    }
}

void mezucom::skip(const std::string& path)
{
    skip(path, fileSystem_.lastError());
}

std::string mezucom::missedEntries(const DirectoryEnumeration& enumeration) const
{
    // A walk that was stopped did not finish its directory: nothing was missed.
    return stopRequested_ ? std::string{} : enumeration.error();
}

void mezucom::forgetMeasurements()
{
    measurements_.clear();
    directoriesWalked_ = 0;
    countedLinkedFiles_.clear();
    linksPassedOver_ = 0;
    // A new command may find the disk changed: the figures of the last walk are not reused.
    forgetKeptTrees();
}

void mezucom::restoreFindings(std::vector<TreeMeasurement> measurements, std::vector<SkippedDirectory> skipped)
{
    forgetMeasurements();
    forgetSkipped();
    measurements_ = std::move(measurements);
    skipped_ = std::move(skipped);
    for (const SkippedDirectory& directory : skipped_) {
        skippedPaths_.insert(directory.path);
    }
}

void mezucom::forgetKeptTrees()
{
    keptBase_.clear();
    keptTrees_.clear();
    keptNames_.clear();
    keptWalkEnd_.clear();
    nextKept_ = 0;
}

void mezucom::forgetSkipped()
{
    skipped_.clear();
    skippedPaths_.clear();
}

bool mezucom::isSubdirectory(const std::string& name, const DirectoryEnumeration& enumeration)
{
    if (name == "." || name == "..") {
        return false;
    }
    if (const std::optional<EntryFigures> figures = enumeration.lastFigures()) {
        return isDirectory(figures->attributes);
    }
    const std::optional<FileAttributes> attributes = fileSystem_.attributes(name);
    return attributes && isDirectory(*attributes);
}

void mezucom::treelist(const std::string& path)
{
    lists_.wklist1.clear();
    treewalk(lists_.wklist1.add(path));
}

void mezucom::treewalk(std::size_t entry)
{
    walkBelow(entry, Summing::Off, SubdirectoryLines::Kept);
    // The walk ends where it began, as a walk that comes back up each time does.
    makeCurrent(lists_.wklist1.line(entry));
}

void mezucom::walkBelow(std::size_t entry, Summing summing, SubdirectoryLines lines)
{
    DirectoryList& list = lists_.wklist1;
    const std::unique_ptr<TreeWalk> walk = fileSystem_.walkTree(list.line(entry));
    // One level for each directory on the way down from `entry`; the walk moves one level at a
    // time and builds a full path only to name a directory it could not read.
    struct Level {
        TreeWalk::Directory* directory;
        const TreeWalk::Listing* listing;
        std::size_t entry;
        std::uint64_t serial;  // of the directory among those walked in the command
        std::size_t next = 0;  // the entry of the listing handled next
    };
    std::vector<Level> levels;
    std::size_t keptTree = 0;  // of the immediate subdirectory the levels below the first lie in
    const auto enter = [&](TreeWalk::Directory& directory, std::size_t at) {
        const TreeWalk::Listing& listing = walk->listing(directory);
        if (!listing.readable) {
            skip(list.line(at), listing.error);
            walk->done(directory);
            return;
        }
        if (summing == Summing::On) {
            ++directoriesCounted_;
            if (!levels.empty()) {
                ++keptTrees_[keptTree].directories;
            } else {
                makeRoomForKeptTrees(listing, lines);
            }
        }
        levels.push_back({&directory, &listing, at, directoriesWalked_});
    };
    ++directoriesWalked_;
    enter(walk->top(), entry);
    while (!levels.empty() && !stopRequested_) {
        Level& level = levels.back();
        const std::span<const WalkEntry> entries = level.listing->entries;
        if (level.next == entries.size()) {
            if (!level.listing->error.empty()) {
                skip(list.line(level.entry), level.listing->error);
            }
            walk->done(*level.directory);
            levels.pop_back();
            if (levels.size() == 1 && summing == Summing::On && lines == SubdirectoryLines::Shown) {
                showKeptTree(keptTrees_[keptTree]);
            }
            // Also after each directory: a chain of empty ones lists no entries to yield after.
            windowSystem_.yield();
            continue;
        }
        const std::size_t index = level.next++;
        const WalkEntry& item = entries[index];
        if (isDirectory(item.figures.attributes)) {
            TreeWalk::Directory& child = walk->subdirectory(*level.directory, index);
            // A mount made during the walk is seen only when its directory is opened.
            if (const TreeWalk::Listing& listing = walk->listing(child); listing.otherFileSystem || listing.gone) {
                walk->done(child);
            } else {
                if (summing == Summing::On) {
                    // A measurement names only the directories it is in (one it cannot read)
                    // and, at its end, the last it walked: the work list keeps those and the
                    // way down to them, so that it follows the walk's depth, not the tree's size.
                    list.keepFirst(level.entry + 1);
                }
                const std::size_t at = list.addChild(level.entry, item.name);
                ++directoriesWalked_;
                if (levels.size() == 1 && summing == Summing::On) {
                    keptTree = keepTree(item.name);
                }
                enter(child, at);
            }
        } else if (summing == Summing::On && passesMask(item.figures.attributes, kFilesOnlyMask)) {
            if (linkCounting_ == LinkCounting::Once) {
                if (const std::optional<FileIdentity> file = walk->linkedFile(*level.directory, index);
                    file && !countedLinkedFiles_.insert(*file).second) {
                    ++linksPassedOver_;
                    windowSystem_.yield();
                    continue;
                }
            }
            const ByteTotal allocation = fileAllocation(item.figures);
            if (fileObserver_ != nullptr) {
                fileObserver_->file({item.name, item.figures, allocation, list, level.entry, level.serial});
            }
            totalbytes_ += allocation;
            ++filesCounted_;
            if (levels.size() > 1) {
                KeptTree& tree = keptTrees_[keptTree];
                tree.bytes += allocation;
                ++tree.files;
            }
        }
        windowSystem_.yield();
    }
}

void mezucom::makeRoomForKeptTrees(const TreeWalk::Listing& top, SubdirectoryLines lines)
{
    // Room at once for every immediate subdirectory the top lists: a directory of many of them
    // would otherwise have its kept trees, their measurements and lines moved again and again.
    std::size_t subdirectories = 0;
    std::size_t nameBytes = 0;
    for (const WalkEntry& entry : top.entries) {
        if (isDirectory(entry.figures.attributes)) {
            ++subdirectories;
            nameBytes += entry.name.size();
        }
    }
    keptTrees_.reserve(subdirectories);
    keptNames_.reserve(nameBytes);
    if (lines == SubdirectoryLines::Shown) {
        measurements_.reserve(measurements_.size() + subdirectories);
        lists_.List1.reserve(lists_.List1.count() + subdirectories + 1);
    }
}

std::size_t mezucom::keepTree(std::string_view name)
{
    keptTrees_.push_back({static_cast<std::uint32_t>(keptNames_.size()), static_cast<std::uint32_t>(name.size())});
    keptNames_ += name;
    return keptTrees_.size() - 1;
}

void mezucom::sublist(const std::string& path)
{
    lists_.wkList2.clear();
    // Right after the measurement of the same directory, its walk has listed them already, in
    // the order its enumeration gives them.
    if (!keptWalkEnd_.empty() && keptBase_ == withTrailingSeparator(path)) {
        lists_.wkList2.reserve(keptTrees_.size());
        for (const KeptTree& tree : keptTrees_) {
            std::string subdirectory;
            subdirectory.reserve(keptBase_.size() + tree.nameLength);
            subdirectory += keptBase_;
            subdirectory += std::string_view{keptNames_}.substr(tree.nameOffset, tree.nameLength);
            lists_.wkList2.add(std::move(subdirectory));
        }
        makeCurrent(path);
        return;
    }
    if (!makeCurrent(path)) {
        skip(path);
        return;
    }
    const std::string base = withTrailingSeparator(path);
    const std::unique_ptr<DirectoryEnumeration> enumeration = fileSystem_.startEnumeration(kEveryName, kWalkMask);
    if (!enumeration) {
        skip(path);
        return;
    }
    for (std::string name = enumeration->next(); !name.empty() && !stopRequested_;) {
        if (isSubdirectory(name, *enumeration)) {
            lists_.wkList2.add(base + name);
        }
        name = enumeration->next();
        windowSystem_.yield();
    }
    if (std::string reason = missedEntries(*enumeration); !reason.empty()) {
        skip(path, std::move(reason));
    }
}

void mezucom::dirsize(const std::string& path)
{
    if (!makeCurrent(path)) {
        skip(path);
        return;
    }
    addCurrentFiles([&path] { return path; });
}

ByteTotal mezucom::fileAllocation(const EntryFigures& figures) const
{
    return sizeMode_ == SizeMode::Allocated ? ByteTotal{figures.allocated}
                                            : clusterAllocation(figures.length, clustersize_);
}

std::optional<ByteTotal> mezucom::fileAllocation(const std::string& name, const DirectoryEnumeration& enumeration)
{
    const std::optional<EntryFigures> figures = enumeration.lastFigures();
    if (sizeMode_ == SizeMode::Allocated) {
        return figures ? std::optional{figures->allocated} : fileSystem_.allocatedBytes(name);
    }
    const std::optional<std::uint64_t> length = figures ? std::optional{figures->length} : fileSystem_.fileLength(name);
    return length ? std::optional{clusterAllocation(*length, clustersize_)} : std::nullopt;
}

template <typename PathOf>
void mezucom::addCurrentFiles(const PathOf& pathOf)
{
    const std::unique_ptr<DirectoryEnumeration> enumeration = fileSystem_.startEnumeration(kEveryName, kFilesOnlyMask);
    if (!enumeration) {
        skip(pathOf());
        return;
    }
    ++directoriesCounted_;
    for (std::string name = enumeration->next(); !name.empty() && !stopRequested_;) {
        if (const std::optional<ByteTotal> allocation = fileAllocation(name, *enumeration)) {
            totalbytes_ += *allocation;
            ++filesCounted_;
        }
        name = enumeration->next();
        windowSystem_.yield();
    }
    if (std::string reason = missedEntries(*enumeration); !reason.empty()) {
        skip(pathOf(), std::move(reason));
    }
}

void mezucom::showKeptTree(KeptTree& tree)
{
    if (tree.shown) {
        return;
    }
    tree.shown = true;
    const std::string_view name = std::string_view{keptNames_}.substr(tree.nameOffset, tree.nameLength);
    record(keptBase_ + std::string{name}, tree.bytes, tree.files, tree.directories);
    windowSystem_.setMousePointer(MousePointer::Busy);
}

void mezucom::measure(const std::string& path, SubdirectoryLines lines)
{
    windowSystem_.setMousePointer(MousePointer::Busy);
    totalbytes_ = 0;
    filesCounted_ = 0;
    directoriesCounted_ = 0;
    forgetKeptTrees();
    keptBase_ = withTrailingSeparator(path);
    // The tree's own measurement comes before its subdirectories' even when their lines come
    // first: its place is kept until its figures are known.
    const std::size_t treeSlot = measurements_.size();
    measurements_.push_back({path, 0, 0, 0, false});
    lists_.wklist1.clear();
    // Each directory's files are added up as the walk lists the directory, in the walk's order.
    walkBelow(lists_.wklist1.add(path), Summing::On, lines);
    if (stopRequested_) {
        // Only the trees measured whole keep their figures; their lines stay where shown.
        keptTrees_.clear();
        windowSystem_.setMousePointer(MousePointer::Default);
        return;
    }
    if (lines == SubdirectoryLines::Shown) {
        for (KeptTree& tree : keptTrees_) {
            showKeptTree(tree);
        }
    }
    // The walk ends in the last directory it measured, as one that makes each current does.
    keptWalkEnd_ = lists_.wklist1.line(lists_.wklist1.count() - 1);
    makeCurrent(keptWalkEnd_);
    record(path, totalbytes_, filesCounted_, directoriesCounted_, treeSlot);
}

bool mezucom::measureFromLastWalk(const std::string& path)
{
    const auto isPath = [&](const KeptTree& tree) {
        const std::string_view name = std::string_view{keptNames_}.substr(tree.nameOffset, tree.nameLength);
        return path.size() == keptBase_.size() + name.size() && path.starts_with(keptBase_) && path.ends_with(name);
    };
    const std::size_t count = keptTrees_.size();
    for (std::size_t searched = 0; searched < count; ++searched) {
        const std::size_t at = (nextKept_ + searched) % count;
        if (isPath(keptTrees_[at])) {
            const KeptTree& tree = keptTrees_[at];
            if (nextKept_ == 0) {
                // A survey takes them all: room at once for every one whose line is still to come.
                const auto unshown = static_cast<std::size_t>(std::count_if(
                    keptTrees_.begin(), keptTrees_.end(), [](const KeptTree& kept) { return !kept.shown; }));
                measurements_.reserve(measurements_.size() + unshown);
                lists_.List1.reserve(lists_.List1.count() + unshown);
            }
            nextKept_ = at + 1;
            if (at + 1 == count && !keptWalkEnd_.empty()) {
                makeCurrent(keptWalkEnd_);
            }
            totalbytes_ = tree.bytes;
            if (!tree.shown) {
                windowSystem_.setMousePointer(MousePointer::Busy);
                record(path, tree.bytes, tree.files, tree.directories);
            }
            return true;
        }
    }
    return false;
}

void mezucom::record(std::string path, ByteTotal bytes, std::uint64_t files, std::uint64_t directories,
                     std::optional<std::size_t> slot)
{
    const std::size_t at = slot.value_or(measurements_.size());
    lists_.List1.add(formatResultLine(path, bytes, decimalSeparator_), static_cast<std::uint32_t>(at));
    if (slot) {
        measurements_[at] = {std::move(path), bytes, files, directories, true};
    } else {
        measurements_.push_back({std::move(path), bytes, files, directories, true});
    }
    windowSystem_.setMousePointer(MousePointer::Default);
}

int mezucom::drvinfo(const std::string& path)
{
    constexpr int kQueried = 0;
    constexpr int kNoAnswer = 1;

    lists_.dlist.clear();
    const std::string root = driveRootOf(path);
    const std::optional<DiskFreeSpace> space = driveQuery_.getDiskFreeSpace(root);
    const char driveLetter = root.empty() ? ' ' : root.front();
    if (!space) {
        queriedDrives_.erase(driveLetter);
        return kNoAnswer;
    }
    const DriveFigures figures = computeDriveFigures(*space);
    clustersize_ = figures.bytesPerCluster;
    queriedDrives_[driveLetter] = figures;
    lists_.dlist.add(formatSpaceLine(driveLetter, figures));
    lists_.dlist.add(formatGeometryLine(figures));
    return kQueried;
}

}  // namespace mezu
