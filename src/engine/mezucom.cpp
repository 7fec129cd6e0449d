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

void mezucom::skip(const std::string& path)
{
    if (skippedPaths_.insert(path).second) {
        std::string reason = fileSystem_.lastError();
        skipped_.push_back({path, reason.empty() ? "cannot be read" : std::move(reason)});
    }
}

std::unique_ptr<DirectoryEnumeration> mezucom::enumerate(const std::string& path, FileAttributes mask)
{
    std::unique_ptr<DirectoryEnumeration> enumeration = fileSystem_.startEnumeration(kEveryName, mask);
    if (!enumeration) {
        skip(path);
    }
    return enumeration;
}

void mezucom::checkFinished(const DirectoryEnumeration& enumeration, const std::string& path)
{
    std::string reason = enumeration.error();
    if (!reason.empty() && !stopRequested_ && skippedPaths_.insert(path).second) {
        skipped_.push_back({path, std::move(reason)});
    }
}

void mezucom::forgetSkipped()
{
    skipped_.clear();
    skippedPaths_.clear();
}

bool mezucom::isSubdirectory(const std::string& name)
{
    if (name == "." || name == "..") {
        return false;
    }
    const std::optional<FileAttributes> attributes = fileSystem_.attributes(name);
    return attributes && isDirectory(*attributes);
}

void mezucom::treelist(const std::string& path)
{
    lists_.wklist1.clear();
    lists_.wklist1.add(path);
    treewalk(path);
}

void mezucom::treewalk(const std::string& path)
{
    // One open enumeration per level of the descent, so that a directory's walk goes on where
    // it stopped after each subdirectory. The levels live on the heap: a tree thousands of
    // levels deep must not exhaust the call stack.
    struct Level {
        std::string path;
        std::unique_ptr<DirectoryEnumeration> enumeration;
        std::string name;  // the entry being handled; empty once the directory is exhausted
    };
    auto enter = [this](std::string levelPath) {
        Level level{std::move(levelPath), nullptr, {}};
        if (!makeCurrent(level.path)) {
            skip(level.path);
        } else if ((level.enumeration = enumerate(level.path, kWalkMask))) {
            level.name = level.enumeration->next();
        }
        return level;
    };
    auto advance = [this](Level& level) {
        level.name = level.enumeration->next();
        windowSystem_.yield();
    };

    std::vector<Level> levels;
    levels.push_back(enter(path));
    while (!levels.empty() && !stopRequested_) {
        Level& level = levels.back();
        if (level.name.empty()) {
            if (level.enumeration) {
                checkFinished(*level.enumeration, level.path);
            }
            levels.pop_back();
            if (levels.empty()) {
                break;
            }
            // Attribute reads are relative to the current directory, so the parent must be
            // current again before its walk goes on; if it has gone, its walk ends here.
            if (makeCurrent(levels.back().path)) {
                advance(levels.back());
            } else {
                skip(levels.back().path);
                levels.back().name.clear();
                levels.back().enumeration.reset();
            }
            continue;
        }
        if (isSubdirectory(level.name)) {
            std::string child = childPath(level.path, level.name);
            lists_.wklist1.add(child);
            levels.push_back(enter(std::move(child)));
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
    const std::unique_ptr<DirectoryEnumeration> enumeration = enumerate(path, kWalkMask);
    if (!enumeration) {
        return;
    }
    for (std::string name = enumeration->next(); !name.empty() && !stopRequested_;) {
        if (isSubdirectory(name)) {
            lists_.wkList2.add(base + name);
        }
        name = enumeration->next();
        windowSystem_.yield();
    }
    checkFinished(*enumeration, path);
}

void mezucom::dirsize(const std::string& path)
{
    if (!makeCurrent(path)) {
        skip(path);
        return;
    }
    const std::unique_ptr<DirectoryEnumeration> enumeration = enumerate(path, kFilesOnlyMask);
    if (!enumeration) {
        return;
    }
    for (std::string name = enumeration->next(); !name.empty() && !stopRequested_;) {
        if (const std::optional<std::uint64_t> length = fileSystem_.fileLength(name)) {
            totalbytes_ += clusterAllocation(*length, clustersize_);
        }
        name = enumeration->next();
        windowSystem_.yield();
    }
    checkFinished(*enumeration, path);
}

void mezucom::measure(const std::string& path)
{
    windowSystem_.setMousePointer(MousePointer::Busy);
    totalbytes_ = 0;
    treelist(path);
    const std::size_t directories = lists_.wklist1.count();
    for (std::size_t i = 0; i < directories && !stopRequested_; ++i) {
        // A copy: a yield may run code that changes wklist1 under a reference.
        const std::string directory = lists_.wklist1.line(i);
        dirsize(directory);
        windowSystem_.yield();
    }
    lists_.List1.add(formatResultLine(path, totalbytes_, decimalSeparator_));
    windowSystem_.setMousePointer(MousePointer::Default);
}

int mezucom::drvinfo(const std::string& path)
{
    constexpr int kQueried = 0;
    constexpr int kNoAnswer = 1;

    lists_.dlist.clear();
    const std::string root = driveRootOf(path);
    const std::optional<DiskFreeSpace> space = driveQuery_.getDiskFreeSpace(root);
    if (!space) {
        return kNoAnswer;
    }
    const DriveFigures figures = computeDriveFigures(*space);
    clustersize_ = figures.bytesPerCluster;
    const char driveLetter = root.empty() ? ' ' : root.front();
    lists_.dlist.add(formatSpaceLine(driveLetter, figures));
    lists_.dlist.add(formatGeometryLine(figures));
    return kQueried;
}

}  // namespace mezu
