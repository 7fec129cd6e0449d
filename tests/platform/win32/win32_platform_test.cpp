// SPDX-License-Identifier: MIT
// The Win32 backend where Windows differs from POSIX: real attribute bits, lengths past 32
// bits, paths past MAX_PATH, reparse-point directories, code page 932, the report file's
// replacement and the drive query.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <sstream>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_drive_query.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_file_writer.h"
#include "platform/win32/win32_report_file_reader.h"
#include "platform/win32/win32_text_encoder.h"
#include "win32_temp_tree.h"

namespace mezu {
namespace {

using win32::DriveRoots;
using win32::toWide;

constexpr std::uint64_t kPast32Bits = (1ULL << 32) + 1;

// A letter no system has, so that the tree's system paths ("C:\...") are not taken for drive
// paths of the tree's drive.
constexpr char kTreeDrive = 'Q';

std::unique_ptr<win32::Win32FileSystem> fileSystemOn(const test::Win32TempTree& tree)
{
    auto fileSystem = std::make_unique<win32::Win32FileSystem>(DriveRoots{{{kTreeDrive, toWide(tree.root())}}});
    EXPECT_TRUE(fileSystem->changeDrive(kTreeDrive));
    return fileSystem;
}

std::set<std::string> enumerate(FileSystem& fileSystem, FileAttributes mask)
{
    std::set<std::string> names;
    const auto enumeration = fileSystem.startEnumeration(kEveryName, mask);
    EXPECT_NE(enumeration, nullptr);
    for (std::string name = enumeration ? enumeration->next() : std::string{}; !name.empty();
         name = enumeration->next()) {
        names.insert(name);
    }
    return names;
}

std::string contents(const std::string& path)
{
    const HANDLE file = ::CreateFileW(win32::extendedPath(toWide(path)).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    std::string bytes(4096, '\0');
    DWORD read = 0;
    const bool done = file != INVALID_HANDLE_VALUE &&
                      ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(done ? read : 0);
    return bytes;
}

TEST(Win32FileSystemTest, SystemAttributesDecideWhatTheMaskKeeps)
{
    struct Case {
        const char* name;
        DWORD attributes;
        bool directory;
        bool listedForTheWalk;  // mask kAttrDirectory
    };
    const std::vector<Case> cases = {
        {"plain", FILE_ATTRIBUTE_NORMAL, false, true},     {"readonly", FILE_ATTRIBUTE_READONLY, false, true},
        {"archive", FILE_ATTRIBUTE_ARCHIVE, false, true},  {"hidden", FILE_ATTRIBUTE_HIDDEN, false, false},
        {"system", FILE_ATTRIBUTE_SYSTEM, false, false},   {"dir", FILE_ATTRIBUTE_DIRECTORY, true, true},
        {"hiddendir", FILE_ATTRIBUTE_HIDDEN, true, false}, {"systemdir", FILE_ATTRIBUTE_SYSTEM, true, false},
    };
    test::Win32TempTree tree;
    for (const Case& c : cases) {
        if (c.directory) {
            tree.dir(c.name);
        } else {
            tree.file(c.name, 1);
        }
        if (c.attributes != FILE_ATTRIBUTE_NORMAL && c.attributes != FILE_ATTRIBUTE_DIRECTORY) {
            tree.setAttributes(c.name, c.attributes);
        }
    }
    const auto fileSystem = fileSystemOn(tree);
    const std::set<std::string> walked = enumerate(*fileSystem, kAttrDirectory);
    const std::set<std::string> everything = enumerate(*fileSystem, kAttrDirectory | kAttrHidden | kAttrSystem);
    for (const Case& c : cases) {
        EXPECT_EQ(walked.count(c.name), c.listedForTheWalk ? 1u : 0u) << c.name;
        EXPECT_EQ(everything.count(c.name), 1u) << c.name;
        const FileAttributes attributes = fileSystem->attributes(c.name).value_or(0);
        EXPECT_EQ(isDirectory(attributes), c.directory) << c.name;
        EXPECT_EQ(attributes & (kAttrHidden | kAttrSystem | kAttrReadOnly),
                  c.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY))
            << c.name;
    }
}

TEST(Win32FileSystemTest, LengthsPast32BitsAndPathsPastMaxPath)
{
    test::Win32TempTree tree;
    tree.file("big", kPast32Bits);
    tree.dir("deep");
    const std::string chain = tree.chainLongerThan("deep", "a-long-directory-name", MAX_PATH + 40);
    tree.file(chain + "/inner", 4097);
    const auto fileSystem = fileSystemOn(tree);

    EXPECT_EQ(fileSystem->fileLength("big"), kPast32Bits) << "read on its own";
    EXPECT_EQ(enumerate(*fileSystem, kAttrNormal), std::set<std::string>{"big"});
    EXPECT_EQ(fileSystem->fileLength("big"), kPast32Bits) << "read from the enumeration";

    std::string drivePath = std::string{kTreeDrive} + ":\\" + chain;
    std::replace(drivePath.begin(), drivePath.end(), '/', '\\');
    ASSERT_GT(drivePath.size(), static_cast<std::size_t>(MAX_PATH));
    ASSERT_TRUE(fileSystem->changeDirectory(drivePath));
    EXPECT_EQ(fileSystem->currentDirectory(kTreeDrive), drivePath) << "the ordinary form, not the \\\\?\\ one";
    EXPECT_EQ(enumerate(*fileSystem, kAttrNormal), std::set<std::string>{"inner"});
    EXPECT_EQ(fileSystem->fileLength("inner"), 4097u);
    const ResolvedDirectory resolved = fileSystem->resolveDirectory(tree.path(chain));
    EXPECT_EQ(resolved.drivePath, drivePath) << resolved.error;
}

// A directory's allocations come from one pass over it, made when the first is asked for; a
// name that pass did not list (made again since) is asked for on its own.
TEST(Win32FileSystemTest, ANameTheAllocationPassMissedIsAskedOnItsOwn)
{
    test::Win32TempTree tree;
    tree.file("a", 5000);
    tree.file("b", 5000);
    const auto fileSystem = fileSystemOn(tree);
    const auto enumeration = fileSystem->startEnumeration(kEveryName, kAttrNormal);
    ASSERT_NE(enumeration, nullptr);
    const std::string first = enumeration->next();
    const std::string other = first == "a" ? "b" : "a";
    tree.remove(other);
    ASSERT_TRUE(fileSystem->allocatedBytes(first).has_value());
    tree.file(other, 5000);
    if (enumeration->next() != other) {
        GTEST_SKIP() << "this system's enumeration does not keep the names it read at its start";
    }
    const std::optional<std::uint64_t> missed = fileSystem->allocatedBytes(other);
    ASSERT_TRUE(missed.has_value()) << "the pass did not list it";
    const auto again = fileSystem->startEnumeration(kEveryName, kAttrNormal);
    ASSERT_NE(again, nullptr);
    for (std::string name = again->next(); !name.empty(); name = again->next()) {
        if (name == other) {
            EXPECT_EQ(fileSystem->allocatedBytes(other), missed) << "what a pass that lists it gives";
        }
    }
}

TEST(Win32FileSystemTest, ResolvesSystemPathsOntoItsDrives)
{
    test::Win32TempTree tree;
    tree.dir("sub");
    tree.file("file", 1);
    const auto fileSystem = fileSystemOn(tree);
    struct Case {
        std::string given;
        std::string drivePath;  // empty when an error is expected
    };
    const std::vector<Case> cases = {
        {tree.path("sub"), "Q:\\sub"},
        {tree.path("sub") + "\\", "Q:\\sub"},
        {"Q:/sub/", "Q:\\sub"},
        {"q:\\", "Q:\\"},
        {tree.path("file"), ""},
        {tree.path("missing"), ""},
        {"Q:\\sub\\..", ""},
        {"Q:sub", ""},  // relative to the drive's current directory, not Q:\sub
        {"C:\\", ""},
        {"R:\\x", ""},
        {"\\\\server\\share", ""},
    };
    for (const Case& c : cases) {
        const ResolvedDirectory resolved = fileSystem->resolveDirectory(c.given);
        EXPECT_EQ(resolved.drivePath, c.drivePath) << c.given;
        EXPECT_EQ(resolved.error.empty(), !c.drivePath.empty()) << c.given;
    }
}

TEST(Win32FileSystemTest, HostPathsAreTheSystemPathsOfDrivePaths)
{
    test::Win32TempTree tree;
    const win32::Win32FileSystem fileSystem{DriveRoots{{{'C', L"C:"}, {kTreeDrive, toWide(tree.root())}}}};
    const struct {
        std::string drivePath;
        std::optional<std::string> host;
    } cases[] = {
        {"C:\\", "C:\\"},        {"C:\\Windows\\Fonts", "C:\\Windows\\Fonts"},
        {"Q:\\", tree.root()},   {"Q:\\sub\\日本語", tree.path("sub") + "\\日本語"},
        {"R:\\x", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fileSystem.hostPath(c.drivePath), c.host) << c.drivePath;
    }
}

// A real directory link: one made here where the system allows it, else under Wine the prefix's
// drive links, which Wine shows as reparse points.
std::optional<std::pair<std::wstring, std::string>> directoryLink(const test::Win32TempTree& tree)
{
    const std::wstring link = toWide(tree.path("link"));
    if (::CreateSymbolicLinkW(link.c_str(), toWide(tree.path("target")).c_str(),
                              SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return std::pair{toWide(tree.root()), std::string{"link"}};
    }
    wchar_t prefix[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || prefix[0] != L'/') {
        return std::nullopt;
    }
    std::wstring devices = L"Z:" + std::wstring{prefix} + L"/dosdevices";
    std::replace(devices.begin(), devices.end(), L'/', L'\\');
    return std::pair{devices, std::string{"c:"}};
}

TEST(Win32FileSystemTest, ReparsePointDirectoriesAreNotEntered)
{
    test::Win32TempTree tree;
    tree.dir("target");
    tree.file("target/inside", 1);
    const auto link = directoryLink(tree);
    if (!link) {
        GTEST_SKIP() << "no directory link can be made here";
    }
    win32::Win32FileSystem fileSystem{DriveRoots{{{'C', link->first}}}};
    ASSERT_TRUE(fileSystem.changeDrive('C'));
    const FileAttributes attributes = fileSystem.attributes(link->second).value_or(0);
    EXPECT_NE(attributes & kAttrSystem, 0u);
    EXPECT_FALSE(isDirectory(attributes));
    EXPECT_EQ(enumerate(fileSystem, kAttrDirectory).count(link->second), 0u);
    EXPECT_EQ(enumerate(fileSystem, kAttrDirectory | kAttrSystem).count(link->second), 1u);
    EXPECT_FALSE(fileSystem.changeDirectory("C:\\" + link->second));
    const std::vector<std::string> subdirectories = fileSystem.subdirectoryNames("C:\\");
    EXPECT_EQ(std::count(subdirectories.begin(), subdirectories.end(), link->second), 0);

    // Named by the user, a link is surveyed where it leads.
    win32::Win32FileSystem systemDrives;
    const std::string linkPath = win32::toUtf8(link->first) + "\\" + link->second;
    const ResolvedDirectory resolved = systemDrives.resolveDirectory(linkPath);
    EXPECT_TRUE(resolved.error.empty()) << resolved.error;
    EXPECT_NE(resolved.drivePath, linkPath);
    EXPECT_TRUE(systemDrives.directoryExists(resolved.drivePath)) << resolved.drivePath;
}

// Wine shows each mount point of the host below its Z: drive as a reparse point that leads to
// itself; Windows shows a volume mounted in a folder so when the volume has no letter.
TEST(Win32FileSystemTest, AFileSystemMountedInAFolderIsSurveyedInPlace)
{
    std::vector<std::string> mountPoints;
    if (const HANDLE mounts =
            ::CreateFileW(L"Z:\\proc\\self\\mounts", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        mounts != INVALID_HANDLE_VALUE) {
        std::string text(1 << 16, '\0');
        DWORD read = 0;
        ::ReadFile(mounts, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        ::CloseHandle(mounts);
        std::istringstream lines{text.substr(0, read)};
        for (std::string source, point, rest; lines >> source >> point && std::getline(lines, rest);) {
            std::replace(point.begin(), point.end(), '/', '\\');
            const DWORD attributes = ::GetFileAttributesW(toWide("Z:" + point).c_str());
            if (point.size() > 1 && point.find('\\', 1) == std::string::npos && attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                mountPoints.push_back("Z:" + point);
            }
        }
    }
    if (mountPoints.empty()) {
        GTEST_SKIP() << "no folder with a file system mounted in it is seen here (Wine shows the host's)";
    }
    win32::Win32FileSystem fileSystem;
    for (const std::string& mountPoint : mountPoints) {
        const ResolvedDirectory resolved = fileSystem.resolveDirectory(mountPoint);
        EXPECT_EQ(resolved.drivePath, mountPoint) << resolved.error;
        EXPECT_TRUE(fileSystem.changeDirectory(mountPoint)) << mountPoint;
    }
}

TEST(Win32WideTextTest, EveryNameRoundTrips)
{
    struct Case {
        std::wstring wide;
        std::string utf8;
    };
    const std::vector<Case> cases = {
        {L"plain", "plain"},
        {L"日本語", "日本語"},
        {L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
        {L"a\xD800", "a\xED\xA0\x80"},
        {L"\xDC00z", "\xED\xB0\x80z"},
        {L"\xDBFF\xDBFF\xDFFF", "\xED\xAF\xBF\xF4\x8F\xBF\xBF"},
        {L"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(win32::toUtf8(c.wide), c.utf8) << c.utf8;
        EXPECT_EQ(win32::toWide(c.utf8), c.wide) << c.utf8;
    }
    EXPECT_EQ(win32::toWide("a\xFF"), L"a\xFFFD") << "bytes that are not UTF-8";
}

TEST(Win32TextEncoderTest, EncodesCodePage932WithoutBestFit)
{
    struct Case {
        std::string utf8;
        std::string shiftJis;
    };
    const std::vector<Case> cases = {
        {"MEZU.TXT\r\n", "MEZU.TXT\r\n"},
        {"日本語", "\x93\xfa\x96\x7b\x8c\xea"},
        {"ｱ", "\xb1"},
        {"é", "?"},
        {"a\xff"
         "b",
         "a?b"},
        {"", ""},
    };
    const win32::Win32ShiftJisEncoder encoder;
    for (const Case& c : cases) {
        EXPECT_EQ(encoder.encode(c.utf8), c.shiftJis) << c.utf8;
        const bool representable = c.shiftJis.find('?') == std::string::npos;
        EXPECT_EQ(encoder.decode(c.shiftJis), representable ? c.utf8 : c.shiftJis) << c.utf8;
    }
    EXPECT_EQ(encoder.decode("\x81\x20\xff\xfe"), std::nullopt) << "not Shift_JIS text";
}

TEST(Win32FileWriterTest, ReplacesWholeOrLeavesTheFileAsItWas)
{
    test::Win32TempTree tree;
    tree.dir("sub");
    win32::Win32FileWriter writer;
    std::string error;
    const std::string file = tree.path("MEZU.TXT");
    ASSERT_TRUE(writer.replaceFile(file, "first, longer\r\n", error)) << error;
    ASSERT_TRUE(writer.replaceFile(file, "second\r\n", error)) << error;
    EXPECT_EQ(contents(file), "second\r\n");

    struct Case {
        const char* name;
        std::string path;
        DWORD attributes;  // set on the existing file before the save
    };
    const std::vector<Case> refused = {
        {"read-only file", file, FILE_ATTRIBUTE_READONLY},
        {"directory", tree.path("sub"), 0},
        {"missing directory", tree.path("missing\\MEZU.TXT"), 0},
    };
    for (const Case& c : refused) {
        if (c.attributes != 0) {
            tree.setAttributes("MEZU.TXT", c.attributes);
        }
        error.clear();
        EXPECT_FALSE(writer.replaceFile(c.path, "lost\r\n", error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_EQ(contents(file), "second\r\n") << c.name;
    }
    tree.setAttributes("MEZU.TXT", FILE_ATTRIBUTE_NORMAL);
    const auto fileSystem = fileSystemOn(tree);
    EXPECT_EQ(enumerate(*fileSystem, kAttrDirectory | kAttrHidden | kAttrSystem),
              (std::set<std::string>{"MEZU.TXT", "sub"}))
        << "no temporary file left behind";
}

TEST(Win32ReportFileReaderTest, ReadsTheBytesOfAFileAndRefusesTheRest)
{
    test::Win32TempTree tree;
    tree.dir("sub");
    win32::Win32FileWriter writer;
    win32::Win32ReportFileReader reader;
    for (const std::string& bytes : {std::string{"\x93\xfa\x96\x7b\r\n\xff"}, std::string{}}) {
        std::string error;
        ASSERT_TRUE(writer.replaceFile(tree.path("REPORT.TXT"), bytes, error)) << error;
        EXPECT_EQ(reader.readReportBytes(tree.path("REPORT.TXT"), error), bytes);
    }
    for (const std::string name : {"missing.txt", "sub"}) {
        std::string error;
        EXPECT_FALSE(reader.readReportBytes(tree.path(name), error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
}

TEST(Win32DriveQueryTest, AnswersForDrivesWithAMediumOnly)
{
    win32::Win32DriveQuery query;
    const std::vector<char> letters = DriveRoots::systemDrives().letters();
    ASSERT_FALSE(letters.empty());
    const std::optional<DiskFreeSpace> space = query.getDiskFreeSpace(std::string{letters.front()} + ":\\");
    ASSERT_TRUE(space.has_value());
    EXPECT_GT(space->sectorsPerCluster * space->bytesPerSector, 0u);
    EXPECT_LE(space->freeClusters, space->totalClusters);
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if (std::find(letters.begin(), letters.end(), letter) == letters.end()) {
            EXPECT_FALSE(query.getDiskFreeSpace(std::string{letter} + ":\\").has_value()) << letter;
        }
    }
    EXPECT_FALSE(query.getDiskFreeSpace("C:").has_value());
}

}  // namespace
}  // namespace mezu
