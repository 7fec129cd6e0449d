// SPDX-License-Identifier: MIT
// One table of contract tests run against every FileSystem and its tree walk: the POSIX backend
// on a real temporary tree (its walks read by the walker alone, or with reader threads), the
// Win32 backend in the Windows build, and the in-memory fake that the engine tests rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <stdexcept>

#include "fake_file_system.h"
#include "platform/tree_walk.h"
#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_system.h"
#include "win32_temp_tree.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/posix_file_system.h"
#include "temp_tree.h"
#endif

namespace mezu {
namespace {

enum class Kind { Directory, File, LinkToFile, LinkToDirectory };

struct Entry {
    Kind kind;
    std::string path;  // relative, "/" between names
    std::uint64_t length = 0;
    std::string target = {};
};

// The edge cases every backend must agree on.
const std::vector<Entry> kTree = {
    {Kind::Directory, "sub"},
    {Kind::Directory, "sub/deeper"},
    {Kind::File, "sub/f4095", 4095},
    {Kind::File, "f0", 0},
    {Kind::File, "f4096", 4096},
    {Kind::File, "f4097", 4097},
    {Kind::File, "f2g", 1ULL << 31},
    {Kind::File, "日本語.txt", 5},
    {Kind::File, ".hidden", 10},
    {Kind::Directory, ".hiddendir"},
    {Kind::File, ".hiddendir/inner", 1},
    {Kind::LinkToFile, "linkfile", 0, "f0"},
    {Kind::LinkToDirectory, "linkdir", 0, "sub"},
};

std::string toDrivePath(const std::string& relative)
{
    std::string path = "C:\\" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// An instant both as a date of the UTC calendar and in seconds since 1970, so that each backend
// is set in its system's own terms and none by the reckoning under test.
struct Instant {
    int year, month, day, hour, minute, second, millisecond;
    std::int64_t unixSeconds;  // the whole seconds, rounded down
};

class Harness {
public:
    virtual ~Harness() = default;
    virtual FileSystem& fileSystem() = 0;
    // Removes a directory of the tree and all below it.
    virtual void remove(const std::string& relative) = 0;
    virtual void setModified(const std::string& relative, const Instant& when) = 0;
    // Gives the file `existing` the further name `relative`; empty, or why the system refused.
    virtual std::string hardLink(const std::string& existing, const std::string& relative) = 0;
};

#ifndef _WIN32
class PosixHarness final : public Harness {
public:
    explicit PosixHarness(unsigned readerThreads)
    {
        for (const Entry& entry : kTree) {
            switch (entry.kind) {
                case Kind::Directory:
                    tree_.dir(entry.path);
                    break;
                case Kind::File:
                    tree_.file(entry.path, entry.length);
                    break;
                case Kind::LinkToFile:
                case Kind::LinkToDirectory:
                    tree_.symlink(entry.target, entry.path);
                    break;
            }
        }
        fileSystem_ = std::make_unique<posix::PosixFileSystem>(
            posix::DriveTable{{{'C', tree_.root()}, {'D', tree_.path("sub")}}}, readerThreads);
    }
    FileSystem& fileSystem() override { return *fileSystem_; }
    void remove(const std::string& relative) override { tree_.remove(relative); }
    void setModified(const std::string& relative, const Instant& when) override
    {
        const timespec times[2] = {{0, UTIME_OMIT}, {when.unixSeconds, when.millisecond * 1'000'000L}};
        EXPECT_EQ(::utimensat(AT_FDCWD, tree_.path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW), 0)
            << relative << ": " << std::strerror(errno);
    }
    std::string hardLink(const std::string& existing, const std::string& relative) override
    {
        return ::link(tree_.path(existing).c_str(), tree_.path(relative).c_str()) == 0 ? "" : std::strerror(errno);
    }

private:
    test::TempTree tree_;
    std::unique_ptr<posix::PosixFileSystem> fileSystem_;
};
#else
// Hidden entries get the hidden attribute as Windows keeps it. A Windows program cannot make
// links under Wine, so a link stands in as what the walk sees of one: a system entry.
class Win32Harness final : public Harness {
public:
    Win32Harness()
    {
        for (const Entry& entry : kTree) {
            const std::string name = entry.path.substr(entry.path.rfind('/') + 1);
            DWORD attributes = name.front() == '.' ? FILE_ATTRIBUTE_HIDDEN : 0;
            switch (entry.kind) {
                case Kind::Directory:
                    tree_.dir(entry.path);
                    break;
                case Kind::File:
                    tree_.file(entry.path, entry.length);
                    break;
                case Kind::LinkToFile:
                case Kind::LinkToDirectory:
                    tree_.file(entry.path, 0);
                    attributes |= FILE_ATTRIBUTE_SYSTEM;
                    break;
            }
            if (attributes != 0) {
                tree_.setAttributes(entry.path, attributes);
            }
        }
        fileSystem_ = std::make_unique<win32::Win32FileSystem>(
            win32::DriveRoots{{{'C', win32::toWide(tree_.root())}, {'D', win32::toWide(tree_.path("sub"))}}});
    }
    FileSystem& fileSystem() override { return *fileSystem_; }
    void remove(const std::string& relative) override { tree_.remove(relative); }
    void setModified(const std::string& relative, const Instant& when) override
    {
        const SYSTEMTIME utc{.wYear = static_cast<WORD>(when.year),
                             .wMonth = static_cast<WORD>(when.month),
                             .wDayOfWeek = 0,
                             .wDay = static_cast<WORD>(when.day),
                             .wHour = static_cast<WORD>(when.hour),
                             .wMinute = static_cast<WORD>(when.minute),
                             .wSecond = static_cast<WORD>(when.second),
                             .wMilliseconds = static_cast<WORD>(when.millisecond)};
        FILETIME time{};
        ASSERT_TRUE(::SystemTimeToFileTime(&utc, &time)) << relative;
        const HANDLE file = ::CreateFileW(systemPath(relative).c_str(), FILE_WRITE_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << relative;
        EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &time))
            << relative << ": " << win32::systemErrorText(::GetLastError());
        ::CloseHandle(file);
    }
    std::string hardLink(const std::string& existing, const std::string& relative) override
    {
        return ::CreateHardLinkW(systemPath(relative).c_str(), systemPath(existing).c_str(), nullptr)
                   ? ""
                   : win32::systemErrorText(::GetLastError());
    }

private:
    std::wstring systemPath(const std::string& relative) const
    {
        return win32::extendedPath(win32::toWide(tree_.path(relative)));
    }

    test::Win32TempTree tree_;
    std::unique_ptr<win32::Win32FileSystem> fileSystem_;
};
#endif

class FakeHarness final : public Harness {
public:
    FakeHarness()
    {
        for (const Entry& entry : kTree) {
            switch (entry.kind) {
                case Kind::Directory:
                    fake_.addDirectory(toDrivePath(entry.path));
                    break;
                case Kind::File:
                    fake_.addFile(toDrivePath(entry.path), entry.length);
                    break;
                case Kind::LinkToFile:
                case Kind::LinkToDirectory:
                    fake_.addFile(toDrivePath(entry.path), 0, kAttrSystem);
                    break;
            }
        }
        fake_.addDirectory("D:\\deeper");
    }
    FileSystem& fileSystem() override { return fake_; }
    void remove(const std::string& relative) override { fake_.remove(toDrivePath(relative)); }
    void setModified(const std::string& relative, const Instant& when) override
    {
        fake_.find(toDrivePath(relative))->modified = when.unixSeconds;
    }
    std::string hardLink(const std::string& existing, const std::string& relative) override
    {
        fake_.addHardLink(toDrivePath(existing), toDrivePath(relative));
        return {};
    }

private:
    test::FakeFileSystem fake_{{'C', 'D'}};
};

struct Backend {
    const char* name;
    std::function<std::unique_ptr<Harness>()> make;
};

void PrintTo(const Backend& backend, std::ostream* out)
{
    *out << backend.name;
}

class FileSystemContractTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        harness_ = GetParam().make();
        ASSERT_TRUE(fs().changeDrive('C'));
        ASSERT_TRUE(fs().changeDirectory("C:\\"));
    }
    FileSystem& fs() { return harness_->fileSystem(); }

    std::multiset<std::string> enumerate(FileAttributes mask)
    {
        std::multiset<std::string> names;
        auto enumeration = fs().startEnumeration(kEveryName, mask);
        EXPECT_NE(enumeration, nullptr);
        if (enumeration) {
            for (std::string name = enumeration->next(); !name.empty(); name = enumeration->next()) {
                names.insert(name);
            }
        }
        return names;
    }

    void remove(const std::string& relative) { harness_->remove(relative); }
    Harness& harness() { return *harness_; }

private:
    std::unique_ptr<Harness> harness_;
};

TEST_P(FileSystemContractTest, MaskSelectsWhatIsEnumerated)
{
    using Names = std::multiset<std::string>;
    EXPECT_EQ(enumerate(kAttrDirectory), (Names{"sub", "f0", "f4096", "f4097", "f2g", "日本語.txt"}));
    EXPECT_EQ(enumerate(kAttrNormal), (Names{"f0", "f4096", "f4097", "f2g", "日本語.txt"}));
    EXPECT_EQ(
        enumerate(kAttrDirectory | kAttrHidden | kAttrSystem),
        (Names{"sub", "f0", "f4096", "f4097", "f2g", "日本語.txt", ".hidden", ".hiddendir", "linkfile", "linkdir"}));
    EXPECT_EQ(fs().startEnumeration("*.txt", kAttrNormal), nullptr) << "only every-name patterns";
}

TEST_P(FileSystemContractTest, AttributesNeverFollowLinks)
{
    EXPECT_EQ(fs().attributes("sub").value_or(0) & (kAttrDirectory | kAttrHidden | kAttrSystem), kAttrDirectory);
    EXPECT_EQ(fs().attributes("f0").value_or(kAttrDirectory) & kAttrDirectory, 0u);
    EXPECT_NE(fs().attributes(".hidden").value_or(0) & kAttrHidden, 0u);
    EXPECT_NE(fs().attributes(".hiddendir").value_or(0) & kAttrHidden, 0u);
    const FileAttributes linkDir = fs().attributes("linkdir").value_or(0);
    EXPECT_NE(linkDir & kAttrSystem, 0u);
    EXPECT_EQ(linkDir & kAttrDirectory, 0u);
    EXPECT_NE(fs().attributes("linkfile").value_or(0) & kAttrSystem, 0u);
    EXPECT_FALSE(fs().attributes("missing").has_value());
}

TEST_P(FileSystemContractTest, LengthsAreExactOnUnitBoundaries)
{
    EXPECT_EQ(fs().fileLength("f0"), 0u);
    EXPECT_EQ(fs().fileLength("f4096"), 4096u);
    EXPECT_EQ(fs().fileLength("f4097"), 4097u);
    EXPECT_EQ(fs().fileLength("f2g"), 1ULL << 31);
    EXPECT_EQ(fs().fileLength("日本語.txt"), 5u);
    EXPECT_FALSE(fs().fileLength("missing").has_value());
    ASSERT_TRUE(fs().changeDirectory("C:\\sub"));
    EXPECT_EQ(fs().fileLength("f4095"), 4095u);
}

TEST_P(FileSystemContractTest, FiguresAnEnumerationKnowsAreThoseOfTheFileSystem)
{
    for (const char* directory : {"C:\\", "C:\\sub"}) {
        ASSERT_TRUE(fs().changeDirectory(directory));
        auto enumeration = fs().startEnumeration(kEveryName, kAttrDirectory | kAttrHidden | kAttrSystem);
        ASSERT_NE(enumeration, nullptr);
        EXPECT_FALSE(enumeration->lastFigures().has_value()) << "nothing returned yet";
        for (std::string name = enumeration->next(); !name.empty(); name = enumeration->next()) {
            if (const std::optional<EntryFigures> figures = enumeration->lastFigures()) {
                EXPECT_EQ(figures->attributes, fs().attributes(name)) << name;
                EXPECT_EQ(figures->length, fs().fileLength(name)) << name;
                EXPECT_EQ(figures->allocated, fs().allocatedBytes(name)) << name;
            }
        }
    }
}

TEST_P(FileSystemContractTest, CurrentDirectoryIsKeptPerDrive)
{
    EXPECT_EQ(fs().drives(), (std::vector<char>{'C', 'D'}));
    ASSERT_TRUE(fs().changeDirectory("C:\\sub\\deeper"));
    EXPECT_EQ(fs().currentDirectory('C'), "C:\\sub\\deeper");
    EXPECT_EQ(fs().currentDirectory('D'), "D:\\");
    ASSERT_TRUE(fs().changeDirectory("D:\\deeper"));
    EXPECT_EQ(fs().currentDrive(), 'C') << "another drive's directory does not change the drive";
    EXPECT_EQ(fs().currentDirectory('d'), "D:\\deeper");
    ASSERT_TRUE(fs().changeDrive('d'));
    EXPECT_EQ(fs().currentDrive(), 'D');
    EXPECT_FALSE(fs().changeDrive('Q'));
    EXPECT_EQ(fs().currentDrive(), 'D');
    EXPECT_FALSE(fs().currentDirectory('Q').has_value());
}

TEST_P(FileSystemContractTest, ChangingToWhatIsNotADirectoryFailsAndChangesNothing)
{
    ASSERT_TRUE(fs().changeDirectory("C:\\sub"));
    EXPECT_FALSE(fs().changeDirectory("C:\\missing"));
    EXPECT_FALSE(fs().changeDirectory("C:\\f0"));
    EXPECT_FALSE(fs().changeDirectory("C:\\linkdir"));
    EXPECT_FALSE(fs().changeDirectory("Q:\\"));
    EXPECT_EQ(fs().currentDirectory('C'), "C:\\sub");
    EXPECT_EQ(fs().fileLength("f4095"), 4095u);
    EXPECT_TRUE(fs().directoryExists("C:\\sub\\deeper"));
    EXPECT_FALSE(fs().directoryExists("C:\\f4096"));
}

TEST_P(FileSystemContractTest, SubdirectoryNamesLeaveTheCurrentDirectoryAlone)
{
    ASSERT_TRUE(fs().changeDirectory("C:\\sub"));
    EXPECT_EQ(fs().subdirectoryNames("C:\\"), std::vector<std::string>{"sub"});
    EXPECT_EQ(fs().subdirectoryNames("C:\\sub"), std::vector<std::string>{"deeper"});
    EXPECT_TRUE(fs().subdirectoryNames("C:\\missing").empty());
    EXPECT_EQ(fs().currentDirectory('C'), "C:\\sub");
}

TEST_P(FileSystemContractTest, EnumerationKeepsItsDirectoryWhenAnotherBecomesCurrent)
{
    auto root = fs().startEnumeration(kEveryName, kAttrNormal);
    ASSERT_NE(root, nullptr);
    std::multiset<std::string> names{root->next()};
    ASSERT_TRUE(fs().changeDirectory("C:\\sub"));
    auto sub = fs().startEnumeration(kEveryName, kAttrNormal);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->next(), "f4095");
    EXPECT_EQ(sub->next(), "");
    for (std::string name = root->next(); !name.empty(); name = root->next()) {
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(names.count("f4095"), 0u);
}

TEST_P(FileSystemContractTest, MovesOneLevelAtATimeAsByFullPaths)
{
    struct Move {
        const char* subdirectory;  // nullptr: to the parent
        bool succeeds;
        const char* current;  // the current directory afterwards
    };
    const std::vector<Move> moves = {
        {nullptr, false, "C:\\"},
        {"sub", true, "C:\\sub"},
        {"deeper", true, "C:\\sub\\deeper"},
        {"missing", false, "C:\\sub\\deeper"},
        {nullptr, true, "C:\\sub"},
        {"f4095", false, "C:\\sub"},
        {nullptr, true, "C:\\"},
        {".hiddendir", true, "C:\\.hiddendir"},
        {nullptr, true, "C:\\"},
        {"linkdir", false, "C:\\"},
    };
    for (const Move& move : moves) {
        const std::string name = move.subdirectory ? move.subdirectory : "..";
        EXPECT_EQ(move.subdirectory ? fs().changeToSubdirectory(name) : fs().changeToParent(), move.succeeds) << name;
        EXPECT_EQ(fs().currentDirectory('C'), move.current) << name;
    }
    ASSERT_TRUE(fs().changeToSubdirectory("sub"));
    EXPECT_EQ(enumerate(kAttrNormal), (std::multiset<std::string>{"f4095"}));
    EXPECT_EQ(fs().fileLength("f4095"), 4095u);
}

// The figures of a walk's listing, by name.
std::map<std::string, EntryFigures> walked(const TreeWalk::Listing& listing)
{
    std::map<std::string, EntryFigures> entries;
    for (const WalkEntry& entry : listing.entries) {
        entries[std::string{entry.name}] = entry.figures;
    }
    return entries;
}

// The index of the entry `name` in a listing; throws, failing the test, when there is none.
std::size_t indexOf(const TreeWalk::Listing& listing, std::string_view name)
{
    const auto found = std::find_if(listing.entries.begin(), listing.entries.end(),
                                    [&](const WalkEntry& e) { return e.name == name; });
    if (found == listing.entries.end()) {
        throw std::invalid_argument("no entry " + std::string{name} + " in the listing");
    }
    return static_cast<std::size_t>(found - listing.entries.begin());
}

TEST_P(FileSystemContractTest, AWalkListsFilesAndWalkedDirectoriesWithTheirFigures)
{
    const std::unique_ptr<TreeWalk> walk = fs().walkTree("C:\\");
    const TreeWalk::Listing& top = walk->listing(walk->top());
    ASSERT_TRUE(top.opened && top.readable);
    EXPECT_EQ(top.error, "");
    const std::map<std::string, EntryFigures> entries = walked(top);
    std::set<std::string> names;
    for (const auto& [name, figures] : entries) {
        names.insert(name);
        ASSERT_TRUE(fs().changeDirectory("C:\\"));
        EXPECT_EQ(figures.attributes & (kAttrDirectory | kAttrHidden | kAttrSystem),
                  fs().attributes(name).value_or(0) & (kAttrDirectory | kAttrHidden | kAttrSystem))
            << name;
        if (!isDirectory(figures.attributes)) {
            EXPECT_EQ(figures.length, fs().fileLength(name)) << name;
            EXPECT_EQ(figures.allocated, fs().allocatedBytes(name)) << name;
        }
    }
    EXPECT_EQ(names, (std::set<std::string>{"sub", "f0", "f4096", "f4097", "f2g", "日本語.txt"}))
        << "no hidden entry, no link";
    TreeWalk::Directory& sub = walk->subdirectory(walk->top(), indexOf(top, "sub"));
    const TreeWalk::Listing& below = walk->listing(sub);
    EXPECT_EQ(walked(below).size(), 2u);
    EXPECT_EQ(walked(below).at("f4095").length, 4095u);
    EXPECT_TRUE(isDirectory(walked(below).at("deeper").attributes));
    walk->done(sub);
    walk->done(walk->top());

    for (const char* unusable : {"C:\\missing", "C:\\f0", "C:\\linkdir"}) {
        const std::unique_ptr<TreeWalk> refused = fs().walkTree(unusable);
        const TreeWalk::Listing& listing = refused->listing(refused->top());
        EXPECT_FALSE(listing.readable) << unusable;
        EXPECT_TRUE(listing.entries.empty()) << unusable;
        EXPECT_NE(listing.error, "") << unusable;
    }
}

TEST_P(FileSystemContractTest, ASubdirectoryGoneSinceItsParentWasReadIsNoPartOfTheWalk)
{
    const std::unique_ptr<TreeWalk> walk = fs().walkTree("C:\\sub");
    const TreeWalk::Listing& top = walk->listing(walk->top());
    ASSERT_EQ(walked(top).count("deeper"), 1u);
    const std::size_t index = indexOf(top, "deeper");
    remove("sub/deeper");
    const TreeWalk::Listing& deeper = walk->listing(walk->subdirectory(walk->top(), index));
    // A reader thread may have read it before it went: then it is as it was.
    EXPECT_TRUE(deeper.gone || (deeper.readable && deeper.entries.empty())) << deeper.error;
}

TEST_P(FileSystemContractTest, AWalkGivesTheTimeEachFileWasLastModified)
{
    const std::map<std::string, Instant> stamps = {
        {"f4096", {2001, 2, 3, 4, 5, 6, 700, 981'173'106}},
        {"f4097", {2100, 1, 1, 0, 0, 0, 0, 4'102'444'800}},   // in the future, beyond 32-bit seconds
        {"日本語.txt", {1969, 12, 31, 23, 59, 59, 500, -1}},  // before 1970, where rounding toward 0 is wrong
    };
    for (const auto& [name, when] : stamps) {
        harness().setModified(name, when);
    }
    const std::unique_ptr<TreeWalk> walk = fs().walkTree("C:\\");
    const std::map<std::string, EntryFigures> entries = walked(walk->listing(walk->top()));
    for (const auto& [name, when] : stamps) {
        ASSERT_EQ(entries.count(name), 1u) << name;
        EXPECT_EQ(entries.at(name).modified, when.unixSeconds) << name;
    }
}

TEST_P(FileSystemContractTest, TheNamesOfAFileWithSeveralStandForOneFile)
{
    const std::vector<std::pair<std::string, std::string>> links = {
        {"f4097", "twin"}, {"f4097", "sub/twin"}, {"f4096", "sub/other"}};
    for (const auto& [existing, name] : links) {
        if (const std::string refused = harness().hardLink(existing, name); !refused.empty()) {
            GTEST_SKIP() << "the system makes no hard link " << name << ": " << refused;
        }
    }
    const std::unique_ptr<TreeWalk> walk = fs().walkTree("C:\\");
    TreeWalk::Directory& top = walk->top();
    const TreeWalk::Listing& listing = walk->listing(top);
    TreeWalk::Directory& sub = walk->subdirectory(top, indexOf(listing, "sub"));
    const TreeWalk::Listing& below = walk->listing(sub);

    const std::optional<FileIdentity> file = walk->linkedFile(top, indexOf(listing, "f4097"));
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(walk->linkedFile(top, indexOf(listing, "twin")), file) << "in the same directory";
    EXPECT_EQ(walk->linkedFile(sub, indexOf(below, "twin")), file) << "in another directory";
    const std::optional<FileIdentity> other = walk->linkedFile(sub, indexOf(below, "other"));
    ASSERT_TRUE(other.has_value());
    EXPECT_NE(*other, *file);
    EXPECT_EQ(walk->linkedFile(top, indexOf(listing, "f0")), std::nullopt) << "a file of one name";
    EXPECT_EQ(walk->linkedFile(sub, indexOf(below, "f4095")), std::nullopt) << "a file of one name";
    walk->done(sub);
    walk->done(top);
}

std::vector<Backend> backends()
{
    return {
#ifdef _WIN32
        Backend{"Win32", [] { return std::unique_ptr<Harness>(new Win32Harness); }},
#else
        Backend{"Posix", [] { return std::unique_ptr<Harness>(new PosixHarness{0}); }},
        Backend{"PosixWalkerAlone", [] { return std::unique_ptr<Harness>(new PosixHarness{1}); }},
        Backend{"PosixWithReaders", [] { return std::unique_ptr<Harness>(new PosixHarness{3}); }},
#endif
        Backend{"Fake", [] { return std::unique_ptr<Harness>(new FakeHarness); }},
    };
}

INSTANTIATE_TEST_SUITE_P(Backends, FileSystemContractTest, ::testing::ValuesIn(backends()),
                         [](const auto& backend) { return std::string{backend.param.name}; });

}  // namespace
}  // namespace mezu
