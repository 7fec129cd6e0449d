#include "engine/mezucom.h"

#include <memory>
#include <utility>
#include <vector>

#include "driveinfo/drive_lines.h"
#include "engine/result_line.h"
#include "model/path_text.h"

namespace mezu {
namespace {

// The walk enumerates directories and ordinary files; dirsize only ordinary files.
constexpr FileAttributes kWalkMask = kAttrDirectory;
constexpr FileAttributes kFilesOnlyMask = kAttrNormal;
// Why a directory was skipped when the file system does not say.
constexpr std::string_view kUnknownReason = "cannot be read";

}  // namespace

mezucom::mezucom(WindowLists& lists, FileSystem& fileSystem, DriveQuery& driveQuery,
                 WindowSystem& windowSystem, std::string decimalSeparator)
    : lists_(lists),
      fileSystem_(fileSystem),
      driveQuery_(driveQuery),
      windowSystem_(windowSystem),
      decimalSeparator_(std::move(decimalSeparator))
{
}

bool mezucom::makeCurrent(const std::string& path)
{
    return !path.empty() && fileSystem_.changeDrive(driveLetterOf(path)) &&
           fileSystem_.changeDirectory(path);
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
    treelist(path, {});
}

void mezucom::treelist(const std::string& path, const SubtreeWalked& subtreeWalked)
{
    lists_.wklist1.clear();
    treewalk(lists_.wklist1.add(path), subtreeWalked);
}

void mezucom::treewalk(std::size_t entry)
{
    treewalk(entry, {});
}

void mezucom::treewalk(std::size_t entry, const SubtreeWalked& subtreeWalked)
{
    DirectoryList& list = lists_.wklist1;
    // One open enumeration per level of the descent, so that a directory's walk goes on where
    // it stopped after each subdirectory. The levels live on the heap: a tree thousands of
    // levels deep must not exhaust the call stack. The walk moves one level at a time and
    // builds a full path only to name a directory it could not read.
    struct Level {
        std::size_t entry;
        std::unique_ptr<DirectoryEnumeration> enumeration;
        std::string name;  // the entry being handled; empty once the directory is exhausted
        bool current = true;  // false once the walk could not come back to it
    };
    auto open = [&](std::size_t current) {
        Level level{current, fileSystem_.startEnumeration(kEveryName, kWalkMask), {}, true};
        if (level.enumeration) {
            level.name = level.enumeration->next();
        } else {
            skip(list.line(current));
        }
        return level;
    };
    auto advance = [this](Level& level) {
        level.name = level.enumeration->next();
        windowSystem_.yield();
    };

    if (!makeCurrent(list.line(entry))) {
        skip(list.line(entry));
        return;
    }
    std::vector<Level> levels;
    levels.push_back(open(entry));
    ++directoriesWalked_;
    while (!levels.empty() && !stopRequested_) {
        Level& level = levels.back();
        if (level.name.empty()) {
            if (level.enumeration) {
                if (std::string reason = missedEntries(*level.enumeration); !reason.empty()) {
                    skip(list.line(level.entry), std::move(reason));
                }
            }
            const std::size_t finished = level.entry;
            const bool finishedIsCurrent = level.current;
            levels.pop_back();
            if (levels.empty()) {
                break;
            }
            const bool startIsCurrent = subtreeWalked && levels.size() == 1 && subtreeWalked(finished, finishedIsCurrent);
            // Attribute reads are relative to the current directory, so the parent must be
            // current again before its walk goes on; if it has gone, its walk ends here.
            Level& parent = levels.back();
            if (startIsCurrent || fileSystem_.changeToParent() || makeCurrent(list.line(parent.entry))) {
                advance(parent);
            } else {
                skip(list.line(parent.entry));
                parent.name.clear();
                parent.enumeration.reset();
                parent.current = false;
            }
            continue;
        }
        if (isSubdirectory(level.name, *level.enumeration)) {
            const std::size_t child = list.addChild(level.entry, level.name);
            ++directoriesWalked_;
            if (fileSystem_.changeToSubdirectory(level.name)) {
                levels.push_back(open(child));
            } else {
                skip(list.line(child));
                advance(level);
            }
            continue;
        }
        advance(level);
    }
}

void mezucom::sublist(const std::string& path)
{
    lists_.wkList2.clear();
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
    const std::unique_ptr<DirectoryEnumeration> enumeration =
        fileSystem_.startEnumeration(kEveryName, kFilesOnlyMask);
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

bool mezucom::moveTo(std::size_t target, std::size_t from)
{
    if (target == from) {
        return true;
    }
    const DirectoryList& list = lists_.wklist1;
    const std::size_t parent = list.parent(target);
    // In walk order the parent of an entry is the entry before it or one of that one's
    // ancestors, so this climbs as far as the walk did, and no further.
    std::size_t climb = 0;
    std::size_t at = from;
    while (at != DirectoryList::kNoParent && at != parent) {
        at = list.parent(at);
        ++climb;
    }
    if (parent != DirectoryList::kNoParent && at == parent) {
        bool moved = true;
        for (; climb > 0 && moved; --climb) {
            moved = fileSystem_.changeToParent();
        }
        if (moved && fileSystem_.changeToSubdirectory(std::string{list.name(target)})) {
            return true;
        }
    }
    return makeCurrent(list.line(target));
}

bool mezucom::climbTo(std::size_t ancestor, std::size_t from)
{
    const DirectoryList& list = lists_.wklist1;
    bool moved = from != DirectoryList::kNoParent;
    for (std::size_t at = from; moved && at != ancestor; at = list.parent(at)) {
        moved = at != DirectoryList::kNoParent && fileSystem_.changeToParent();
    }
    return moved || makeCurrent(list.line(ancestor));
}

void mezucom::addListedFiles(std::size_t& next, std::size_t& current, std::vector<std::size_t>& keptTreeOf)
{
    const DirectoryList& list = lists_.wklist1;
    for (; next < list.count() && !stopRequested_; ++next) {
        const std::size_t i = next;
        const ByteTotal bytesBefore = totalbytes_;
        const std::uint64_t filesBefore = filesCounted_;
        const std::uint64_t directoriesBefore = directoriesCounted_;
        if (moveTo(i, current)) {
            current = i;
            addCurrentFiles([this, i] { return lists_.wklist1.line(i); });
        } else {
            current = DirectoryList::kNoParent;
            skip(list.line(i));
        }
        if (i > 0) {
            const std::size_t parent = list.parent(i);
            keptTreeOf.resize(list.count());
            if (parent == 0) {
                keptTreeOf[i] = keptTrees_.size();
                const std::string_view name = list.name(i);
                keptTrees_.push_back({static_cast<std::uint32_t>(keptNames_.size()), static_cast<std::uint32_t>(name.size())});
                keptNames_ += name;
            } else {
                keptTreeOf[i] = keptTreeOf[parent];
            }
            KeptTree& tree = keptTrees_[keptTreeOf[i]];
            tree.bytes += totalbytes_ - bytesBefore;
            tree.files += filesCounted_ - filesBefore;
            tree.directories += directoriesCounted_ - directoriesBefore;
        }
        windowSystem_.yield();
    }
}

void mezucom::showKeptTrees()
{
    for (KeptTree& tree : keptTrees_) {
        if (!tree.shown) {
            tree.shown = true;
            const std::string_view name = std::string_view{keptNames_}.substr(tree.nameOffset, tree.nameLength);
            record(keptBase_ + std::string{name}, tree.bytes, tree.files, tree.directories);
            windowSystem_.setMousePointer(MousePointer::Busy);
        }
    }
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
    constexpr std::size_t start = 0;
    // For each entry below the first, the kept tree of the immediate subdirectory it lies in;
    // in walk order a parent comes before its subdirectories.
    std::vector<std::size_t> keptTreeOf;
    std::size_t next = start;
    std::size_t current = DirectoryList::kNoParent;  // the entry that is current, if known
    // The files of `path` first, then each immediate subtree's as soon as it is listed: the
    // directories are read in the walk's order either way.
    treelist(path, [&](std::size_t subdirectory, bool subdirectoryIsCurrent) {
        current = subdirectoryIsCurrent ? subdirectory : DirectoryList::kNoParent;
        addListedFiles(next, current, keptTreeOf);
        if (lines == SubdirectoryLines::Shown && !stopRequested_) {
            showKeptTrees();
        }
        const bool startIsCurrent = climbTo(start, current);
        current = startIsCurrent ? start : DirectoryList::kNoParent;
        return startIsCurrent;
    });
    // What the walk listed without descending (a subdirectory it could not enter).
    addListedFiles(next, current, keptTreeOf);
    if (stopRequested_) {
        // Only the trees measured whole keep their figures; their lines stay where shown.
        keptTrees_.clear();
        windowSystem_.setMousePointer(MousePointer::Default);
        return;
    }
    if (lines == SubdirectoryLines::Shown) {
        showKeptTrees();
    }
    // The walk ends in the last directory it measured, as a walk that measures each directory
    // in turn does.
    const std::size_t last = lists_.wklist1.count() - 1;
    if (current != last && moveTo(last, current)) {
        current = last;
    }
    keptWalkEnd_ = current != DirectoryList::kNoParent ? lists_.wklist1.line(current) : std::string{};
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
                // A survey takes them all: room for every one at once, as in keptTrees_.
                measurements_.reserve(measurements_.size() + count);
                lists_.List1.reserve(lists_.List1.count() + count);
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

void mezucom::record(const std::string& path, ByteTotal bytes, std::uint64_t files, std::uint64_t directories,
                     std::optional<std::size_t> slot)
{
    const std::size_t at = slot.value_or(measurements_.size());
    lists_.List1.add(formatResultLine(path, bytes, decimalSeparator_), static_cast<std::uint32_t>(at));
    if (slot) {
        measurements_[at] = {path, bytes, files, directories, true};
    } else {
        measurements_.push_back({path, bytes, files, directories, true});
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
