// SPDX-License-Identifier: MIT
// The measurement module: walks directory trees, adds up their files in whole clusters (or as
// allocated, in the allocated size mode) and queries drive figures. It owns the two module
// values `totalbytes` and `clustersize` and works on the main window's lists, which it borrows
// for its whole life.
//
// Failures of the file system never stop a walk or a measurement: a directory that cannot be
// made current or read contributes nothing (and is kept in skippedDirectories), an entry whose
// attributes or length cannot be read is passed over, and every call still leaves its result in
// the lists.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/file_observer.h"
#include "engine/window_system.h"
#include "model/byte_total.h"
#include "model/size_mode.h"
#include "model/window_lists.h"
#include "platform/drive_query.h"
#include "platform/file_system.h"
#include "platform/tree_walk.h"
#include "report/drive_lines.h"

namespace mezu {

// One tree a measurement added up: what it counted and how many of each.
struct TreeMeasurement {
    std::string path;  // drive path, as given to measure
    ByteTotal bytes = 0;
    std::uint64_t files = 0;        // files whose size was counted
    std::uint64_t directories = 0;  // directories whose files were read, the tree's own included
    // False for a tree whose measurement was stopped: it has no line, and its figures are not
    // the tree's.
    bool complete = true;
};

// A directory a walk or measurement could not read, in full or at all.
struct SkippedDirectory {
    std::string path;    // drive path
    std::string reason;  // as the file system words it ("Permission denied")
    bool operator==(const SkippedDirectory&) const = default;
};

class mezucom {
public:
    // Borrows everything; the caller keeps each alive for as long as this object.
    mezucom(WindowLists& lists, FileSystem& fileSystem, DriveQuery& driveQuery, WindowSystem& windowSystem,
            std::string decimalSeparator = ".");

    // Fills wklist1 with `path` itself, then every directory below it, depth first, each
    // before the directories below it. Hidden and system directories are left out, with all
    // below them.
    void treelist(const std::string& path);
    // Appends to wklist1 every directory below its entry `entry`, in the order of treelist.
    void treewalk(std::size_t entry);
    // Fills wkList2 with the full paths of the immediate subdirectories of `path`.
    void sublist(const std::string& path);
    // Adds the allocation of the ordinary files directly in `path` to totalbytes.
    void dirsize(const std::string& path);
    // Measures `path` and everything below it and appends its result line to List1, with the
    // busy pointer shown while it runs. It keeps what it found below each immediate
    // subdirectory of `path`, for measureFromLastWalk. One walk lists the tree and adds up each
    // directory's files as it lists it, so with SubdirectoryLines::Shown the line of each
    // immediate subdirectory is appended as soon as its tree is done, before the whole tree's
    // line, and a long survey shows its lines as it goes. A measurement that is stopped
    // appends no line for a tree it did not finish.
    enum class SubdirectoryLines { Kept, Shown };
    void measure(const std::string& path, SubdirectoryLines lines = SubdirectoryLines::Kept);
    // Does what measure(path) would do for `path`, an immediate subdirectory of the tree the
    // last measure walked, from the figures that walk found below it, without walking again;
    // so a survey reads each directory once and its figures add up. Only the last of those
    // subdirectories (in walk order, as a survey asks for them) makes current again the
    // directory the walk ended in, where measuring that subdirectory would end. False, doing
    // nothing, when that walk did not reach `path`, was stopped, or a command started since.
    // A subdirectory whose line that walk showed already appends no second one.
    bool measureFromLastWalk(const std::string& path);
    // Refills dlist with the two lines of the drive of `path` and records its cluster size.
    // Returns 0 on success; 1 when the drive does not answer, leaving dlist empty and
    // clustersize unchanged.
    int drvinfo(const std::string& path);

    // Makes every walk and measurement end at its next yield, and later ones do nothing, until
    // resumeAfterStop: for a command the user stops, or a program that is closing.
    void requestStop() { stopRequested_ = true; }
    void resumeAfterStop() { stopRequested_ = false; }
    bool stopRequested() const { return stopRequested_; }

    // Directories the walks have listed since the last forgetMeasurements, for progress.
    std::uint64_t directoriesWalked() const { return directoriesWalked_; }

    // The directories that could not be read since the last forgetSkipped, each once, in the
    // order they were met.
    const std::vector<SkippedDirectory>& skippedDirectories() const { return skipped_; }
    void forgetSkipped();

    // The trees measured since the last forgetMeasurements, and the figures of each drive as
    // its last drvinfo found them (a drive that stopped answering is dropped); for exports
    // beside the report. Each result line a measurement appends to List1 is tagged with the
    // index of its measurement here.
    const std::vector<TreeMeasurement>& measurements() const { return measurements_; }
    const std::map<char, DriveFigures>& queriedDrives() const { return queriedDrives_; }
    void forgetMeasurements();
    // Puts back measurements and unreadable directories taken earlier (a report that a failed
    // command must not replace); the figures the last walk kept are forgotten.
    void restoreFindings(std::vector<TreeMeasurement> measurements, std::vector<SkippedDirectory> skipped);

    // How later measurements count each file; SizeMode::Clusters until set.
    SizeMode sizeMode() const { return sizeMode_; }
    void setSizeMode(SizeMode mode) { sizeMode_ = mode; }

    // Whether a file with several names counts at each (the default) or once in each command,
    // where the walk meets it first; a command starts afresh with forgetMeasurements.
    LinkCounting linkCounting() const { return linkCounting_; }
    void setLinkCounting(LinkCounting counting) { linkCounting_ = counting; }
    // Files that walks have passed over as further names of a file counted already, since the
    // last forgetMeasurements.
    std::uint64_t linksPassedOver() const { return linksPassedOver_; }

    // Tells `observer` of every file later measurements count, until set to null; borrowed.
    void setFileObserver(FileObserver* observer) { fileObserver_ = observer; }

    // The locale's decimal separator, as the result lines show it.
    const std::string& decimalSeparator() const { return decimalSeparator_; }

    // Bytes allocated by the last (or running) measurement.
    ByteTotal totalbytes() const { return totalbytes_; }
    // Bytes per cluster of the drive of the last successful drvinfo; 0 before any, in which
    // case a file counts its exact length.
    std::uint64_t clustersize() const { return clustersize_; }

private:
    bool makeCurrent(const std::string& path);
    // Whether `name`, just returned by `enumeration` of the current directory, is a directory.
    bool isSubdirectory(const std::string& name, const DirectoryEnumeration& enumeration);
    // Notes that `path` could not be read, for `reason` or the one the file system gave last.
    void skip(const std::string& path, std::string reason);
    void skip(const std::string& path);
    // Why a finished enumeration missed entries; empty if it did not.
    std::string missedEntries(const DirectoryEnumeration& enumeration) const;
    // The bytes the file `name` of the current directory counts in the size mode; nullopt
    // when the file system cannot say.
    std::optional<ByteTotal> fileAllocation(const std::string& name, const DirectoryEnumeration& enumeration);
    // Adds the files of the current directory to totalbytes; `pathOf()` names it if it cannot
    // be read.
    template <typename PathOf>
    void addCurrentFiles(const PathOf& pathOf);
    // Appends to wklist1 every directory below its entry `entry`, in the walk's order; with
    // Summing::On adds up their files as each is listed and keeps what each immediate
    // subdirectory holds, showing its line when its tree is done if `lines` says so.
    enum class Summing { Off, On };
    void walkBelow(std::size_t entry, Summing summing, SubdirectoryLines lines);
    // Starts keeping the tree of the immediate subdirectory `name`; its index in keptTrees_.
    std::size_t keepTree(std::string_view name);
    // Bytes a file with these figures counts in the size mode.
    ByteTotal fileAllocation(const EntryFigures& figures) const;
    void forgetKeptTrees();
    // Makes room for the kept trees of the subdirectories `top` lists, and for their lines when
    // they are shown as the walk goes.
    void makeRoomForKeptTrees(const TreeWalk::Listing& top, SubdirectoryLines lines);
    struct KeptTree {
        std::uint32_t nameOffset = 0;  // of its name in keptNames_
        std::uint32_t nameLength = 0;
        ByteTotal bytes = 0;
        std::uint64_t files = 0;
        std::uint64_t directories = 0;
        bool shown = false;  // its line is in List1
    };
    // Appends the line and the measurement of a kept tree, unless it has one already.
    void showKeptTree(KeptTree& tree);

    // Adds a result line for `path` and its measurement, which keeps the path; into the
    // measurement `slot` kept for it, when given.
    void record(std::string path, ByteTotal bytes, std::uint64_t files, std::uint64_t directories,
                std::optional<std::size_t> slot = std::nullopt);

    // What the last measure found below one of the immediate subdirectories of its tree.

    WindowLists& lists_;
    FileSystem& fileSystem_;
    DriveQuery& driveQuery_;
    WindowSystem& windowSystem_;
    std::string decimalSeparator_;
    ByteTotal totalbytes_ = 0;
    std::uint64_t clustersize_ = 0;
    SizeMode sizeMode_ = SizeMode::Clusters;
    LinkCounting linkCounting_ = LinkCounting::EveryLink;
    FileObserver* fileObserver_ = nullptr;
    bool stopRequested_ = false;
    std::vector<SkippedDirectory> skipped_;
    std::vector<TreeMeasurement> measurements_;
    std::map<char, DriveFigures> queriedDrives_;
    // Counted by addCurrentFiles for the running measurement.
    std::uint64_t filesCounted_ = 0;
    std::uint64_t directoriesCounted_ = 0;
    std::uint64_t directoriesWalked_ = 0;
    std::unordered_set<std::string> skippedPaths_;
    // The files with several names counted in this command, with links counted once: only
    // those, so the set grows with them and not with the tree.
    struct IdentityHash {
        std::size_t operator()(const FileIdentity& identity) const
        {
            return std::hash<std::uint64_t>{}(identity.file * 0x9E3779B97F4A7C15ULL ^ identity.volume);
        }
    };
    std::unordered_set<FileIdentity, IdentityHash> countedLinkedFiles_;
    std::uint64_t linksPassedOver_ = 0;
    // Kept by the last measure that walked to its end: its path with a trailing separator and
    // its immediate subdirectories' trees, in walk order.
    std::string keptBase_;
    std::vector<KeptTree> keptTrees_;
    std::string keptNames_;     // the names of the kept trees, one after the other
    std::string keptWalkEnd_;   // the directory current when the walk ended; empty if unknown
    std::size_t nextKept_ = 0;  // where the next search starts: a survey asks in walk order
};

// Bytes a file of `length` occupies in whole clusters of `clusterSize` (its exact length when
// the cluster size is unknown, 0); a length near 2^64 may round up past it.
constexpr ByteTotal clusterAllocation(std::uint64_t length, std::uint64_t clusterSize)
{
    if (clusterSize == 0) {
        return length;
    }
    return (ByteTotal{length / clusterSize} + (length % clusterSize != 0 ? 1 : 0)) * clusterSize;
}

}  // namespace mezu
