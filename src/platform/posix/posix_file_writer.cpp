// SPDX-License-Identifier: MIT
#include "platform/posix/posix_file_writer.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/posix/interrupt_cleanup.h"
#include "platform/posix/unique_fd.h"

namespace mezu::posix {
namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as any new file
constexpr mode_t kPrivateMode = 0600;  // until the replacement takes the old file's mode
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kPermissionBits = 07777;
constexpr int kMostLinks = 40;  // the kernel's own limit on a chain of symbolic links
// Short, so that a name near the longest a folder allows still has a temporary beside it;
// hidden, so that a file manager does not show a half-written report.
constexpr std::string_view kTemporaryPrefix = ".mezu-";
constexpr std::string_view kNameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLetters = 8;
constexpr int kTemporaryNameTries = 100;
constexpr int kSucceeded = 0;
constexpr std::string_view kDigits = "0123456789";
constexpr std::size_t kMostDescriptorDigits = 9;  // a descriptor is an int
constexpr std::string_view kDescriptorDirectory = "fd";
constexpr std::string_view kThreadsDirectory = "task";
constexpr std::string_view kProcessDescriptors = "/proc/self/fd/";
constexpr int kWaitForever = -1;

struct Entry {
    std::string directory;
    std::string name;
};

Entry splitPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool isNumber(std::string_view text)
{
    return !text.empty() && text.find_first_not_of(kDigits) == std::string_view::npos;
}

bool onProc(const char* path)
{
    struct statfs fileSystem {};
    return ::statfs(path, &fileSystem) == 0 && fileSystem.f_type == PROC_SUPER_MAGIC;
}

// The descriptor of this process that `path` names in /proc, as /dev/stdout, /dev/fd/N,
// /proc/self/fd/N, /proc/thread-self/fd/N and /proc/<this process>/fd/N do, whether it is
// open or not; none for any other path, another process's descriptors among them.
std::optional<int> ownDescriptorNamed(const std::string& path)
{
    const Entry parts = splitPath(path);
    if (!isNumber(parts.name) || parts.name.size() > kMostDescriptorDigits) {
        return std::nullopt;
    }
    std::array<char, PATH_MAX> resolved{};
    if (::realpath(parts.directory.c_str(), resolved.data()) == nullptr || !onProc(resolved.data())) {
        return std::nullopt;
    }
    // The directory resolved is <proc>/<process>/fd or <proc>/<process>/task/<thread>/fd: the
    // components are taken from its end.
    std::string_view rest{resolved.data()};
    const auto takeLast = [&rest] {
        const std::size_t slash = rest.rfind('/');
        const std::string_view last = slash == std::string_view::npos ? rest : rest.substr(slash + 1);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(0, slash);
        return last;
    };
    if (takeLast() != kDescriptorDirectory) {
        return std::nullopt;
    }
    std::string_view process = takeLast();
    if (takeLast() == kThreadsDirectory) {
        process = takeLast();  // that was a thread of the process, as in /proc/thread-self/fd
    }
    if (process != std::to_string(::getpid())) {
        return std::nullopt;
    }
    int descriptor = 0;
    std::from_chars(parts.name.data(), parts.name.data() + parts.name.size(), descriptor);
    return descriptor;
}

struct FinalEntry {
    std::string path;
    // The chain went through a link of /proc other than one of this process's descriptors (a
    // descriptor of another process, say): it names an open file rather than a directory
    // entry, and there is nothing to rename over.
    bool descriptorLink = false;
    // The chain led to one of this process's own descriptors, to be written through.
    std::optional<int> ownDescriptor;
};

// The directory entry that holds the file `path` names, found by following a chain of symbolic
// links in its last component: the entry a replacement renames over. The entry need not exist
// (a dangling link names the file to create). Empty with `error` set on a loop.
std::optional<FinalEntry> finalEntry(std::string path, int& error)
{
    for (int hop = 0; hop < kMostLinks; ++hop) {
        if (const std::optional<int> descriptor = ownDescriptorNamed(path)) {
            return FinalEntry{path, true, descriptor};
        }
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return FinalEntry{path, false, std::nullopt};
        }
        if (onProc(splitPath(path).directory.c_str())) {
            return FinalEntry{path, true, std::nullopt};
        }
        std::array<char, PATH_MAX> target{};
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return std::nullopt;
        }
        const std::string_view link{target.data(), static_cast<std::size_t>(length)};
        path = link.front() == '/' ? std::string{link} : splitPath(path).directory + "/" + std::string{link};
    }
    error = ELOOP;
    return std::nullopt;
}

// Returns 0 or the errno of the failed write. A descriptor in non-blocking mode (a pipe
// shared with a program that set it so) is waited on rather than given up.
int writeAll(int fd, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                struct pollfd writable {
                    fd, POLLOUT, 0
                };
                ::poll(&writable, 1, kWaitForever);
                continue;
            }
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        written += static_cast<std::size_t>(n);
    }
    return kSucceeded;
}

std::string errorText(int error)
{
    return error == kSucceeded ? std::string{} : std::string{std::strerror(error)};
}

// Writes through a descriptor the process was given, at its position (at the end when it
// appends), so that what the shell wrote before and writes after stays in order around it.
std::string writeThroughDescriptor(int fd, const std::string& bytes)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) {
        return "descriptor " + std::to_string(fd) + " is not open";
    }
    if ((flags & O_PATH) != 0 || (flags & O_ACCMODE) == O_RDONLY) {
        return "descriptor " + std::to_string(fd) + " is not open for writing";
    }
    return errorText(writeAll(fd, bytes));
}

// Writes through a descriptor opened on the target itself. A regular file first gets its
// space reserved, so that a full disk is found before its old content is overwritten.
int writeInPlace(int fd, const std::string& bytes, bool regular)
{
    if (regular && !bytes.empty()) {
        const int reserved = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
        if (reserved == ENOSPC || reserved == EDQUOT || reserved == EFBIG) {
            return reserved;
        }
    }
    if (const int failed = writeAll(fd, bytes); failed != kSucceeded) {
        return failed;
    }
    if (regular && (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0)) {
        return errno;
    }
    return kSucceeded;
}

// A name beginning with kTemporaryPrefix, random enough that another save beside it picks
// another.
std::optional<std::string> temporaryName()
{
    std::array<unsigned char, kRandomLetters> random{};
    if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) {
        return std::nullopt;
    }
    std::string name{kTemporaryPrefix};
    for (const unsigned char byte : random) {
        name += kNameLetters[byte % kNameLetters.size()];
    }
    return name;
}

// Creates a new file of a temporary name in `directory`.
UniqueFd createTemporary(int directory, mode_t mode, std::string& name)
{
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        std::optional<std::string> chosen = temporaryName();
        if (!chosen) {
            return UniqueFd{};
        }
        name = std::move(*chosen);
        UniqueFd fd{::openat(directory, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode)};
        if (fd.valid() || errno != EEXIST) {
            return fd;
        }
    }
    return UniqueFd{};
}

// Gives the file without a name open on `fd` the name `name` in `directory`: through its link
// in /proc, or, where /proc is not mounted, by the descriptor itself (which needs a privilege).
// Returns 0 or the errno; EEXIST when the name is taken.
int linkUnnamed(int fd, int directory, const char* name)
{
    std::array<char, kProcessDescriptors.size() + kMostDescriptorDigits + 2> link{};
    std::memcpy(link.data(), kProcessDescriptors.data(), kProcessDescriptors.size());
    std::to_chars(link.data() + kProcessDescriptors.size(), link.data() + link.size() - 1, fd);
    if (::linkat(AT_FDCWD, link.data(), directory, name, AT_SYMLINK_FOLLOW) == 0) {
        return kSucceeded;
    }
    if (errno == EEXIST) {
        return EEXIST;
    }
    return ::linkat(fd, "", directory, name, AT_EMPTY_PATH) == 0 ? kSucceeded : errno;
}

// The replacement takes the replaced file's owner, group and permissions, in that order
// (changing the owner clears set-user-ID bits). False when the process may not give them.
bool takeOwnerAndMode(int fd, const struct stat& replaced)
{
    struct stat created {};
    if (::fstat(fd, &created) != 0) {
        return false;
    }
    if ((created.st_uid != replaced.st_uid || created.st_gid != replaced.st_gid) &&
        ::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        return false;
    }
    return ::fchmod(fd, replaced.st_mode & kPermissionBits) == 0;
}

enum class Replacement { replaced, failed, impossible };

// What a replacement through a temporary file works with. `replaced` describes the existing
// file, or is null for a new one.
struct Target {
    int directory;
    const std::string& name;
    const struct stat* replaced;
    const std::string& bytes;
};

// Gives a new file, not yet in the target's place, the replaced file's owner and mode and
// writes every byte of it to the disk. Nothing when that succeeded, else `impossible` when the
// owner cannot be kept, `failed` (with `error`) when writing failed.
std::optional<Replacement> fill(int fd, const Target& target, int& error)
{
    if (target.replaced != nullptr && !takeOwnerAndMode(fd, *target.replaced)) {
        return Replacement::impossible;
    }
    error = writeAll(fd, target.bytes);
    if (error == kSucceeded && ::fsync(fd) != 0) {
        error = errno;
    }
    return error == kSucceeded ? std::nullopt : std::optional{Replacement::failed};
}

// Renames the filled temporary file, which `cleanup` watches, over the target.
Replacement renameOver(const Target& target, const std::string& temporary, InterruptCleanup& cleanup, int& error)
{
    if (::renameat(target.directory, temporary.c_str(), target.directory, target.name.c_str()) != 0) {
        error = errno;
        ::unlinkat(target.directory, temporary.c_str(), 0);
        return Replacement::failed;
    }
    cleanup.release();
    ::fsync(target.directory);
    return Replacement::replaced;
}

// Fills a file without a name and links it in: a new file straight at the target's name, a
// replacement at a temporary name renamed over the target. Nothing when it cannot be linked,
// so that a named temporary file is written instead; signals are held back then.
std::optional<Replacement> replaceThroughUnnamed(UniqueFd fd, const Target& target, InterruptCleanup& cleanup,
                                                 int& error)
{
    // Until it is linked the file goes with its descriptor, however the process ends.
    cleanup.letThrough();
    if (const std::optional<Replacement> stopped = fill(fd.get(), target, error)) {
        return stopped;
    }
    cleanup.hold();
    if (target.replaced == nullptr) {
        const int linked = linkUnnamed(fd.get(), target.directory, target.name.c_str());
        if (linked == kSucceeded) {
            ::fsync(target.directory);
            return Replacement::replaced;
        }
        if (linked != EEXIST) {
            return std::nullopt;
        }
        // A file of that name has come meanwhile: this one replaces it, as a rename would.
    }
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        const std::optional<std::string> name = temporaryName();
        if (!name) {
            return std::nullopt;
        }
        const int linked = linkUnnamed(fd.get(), target.directory, name->c_str());
        if (linked == EEXIST) {
            continue;
        }
        if (linked != kSucceeded) {
            return std::nullopt;
        }
        cleanup.watch(target.directory, name->c_str());
        if (::close(fd.release()) != 0) {
            error = errno;
            ::unlinkat(target.directory, name->c_str(), 0);
            return Replacement::failed;
        }
        return renameOver(target, *name, cleanup, error);
    }
    return std::nullopt;
}

// Writes the bytes to a named temporary file beside the target and renames it over the target.
Replacement replaceThroughNamed(const Target& target, InterruptCleanup& cleanup, int& error)
{
    std::string temporary;
    UniqueFd fd =
        createTemporary(target.directory, target.replaced != nullptr ? kPrivateMode : kNewFileMode, temporary);
    if (!fd.valid()) {
        return Replacement::impossible;
    }
    cleanup.watch(target.directory, temporary.c_str());
    std::optional<Replacement> stopped = fill(fd.get(), target, error);
    if (!stopped && ::close(fd.release()) != 0) {
        error = errno;
        stopped = Replacement::failed;
    }
    if (stopped) {
        ::unlinkat(target.directory, temporary.c_str(), 0);
        return *stopped;
    }
    return renameOver(target, temporary, cleanup, error);
}

// Writes the bytes to a temporary file beside `entry` and renames it over `entry` (or, for a
// new file written without a name, links it there). `replaced` describes the existing file,
// or is null for a new one. `impossible` when no temporary file with the old file's owner can
// be made there; `failed` (with `error`) when writing it failed.
Replacement replaceThroughTemporary(const std::string& entry, const struct stat* replaced, const std::string& bytes,
                                    AtomicFileWriter::Temporary temporary, int& error)
{
    const Entry parts = splitPath(entry);
    const UniqueFd directory{::open(parts.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (!directory.valid()) {
        return Replacement::impossible;
    }
    const Target target{directory.get(), parts.name, replaced, bytes};
    InterruptCleanup cleanup;
    if (temporary == AtomicFileWriter::Temporary::UnnamedWherePossible) {
        // Refused by file systems without such files, and by kernels older than 3.11.
        UniqueFd unnamed{::openat(directory.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC,
                                  replaced != nullptr ? kPrivateMode : kNewFileMode)};
        if (unnamed.valid()) {
            const std::optional<Replacement> done = replaceThroughUnnamed(std::move(unnamed), target, cleanup, error);
            if (done) {
                return *done;
            }
        }
    }
    return replaceThroughNamed(target, cleanup, error);
}

int saveNewFile(const FinalEntry& entry, const std::string& bytes, AtomicFileWriter::Temporary temporary)
{
    int error = kSucceeded;
    if (!entry.descriptorLink &&
        replaceThroughTemporary(entry.path, nullptr, bytes, temporary, error) != Replacement::impossible) {
        return error;
    }
    const UniqueFd fd{::open(entry.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, kNewFileMode)};
    return fd.valid() ? writeInPlace(fd.get(), bytes, true) : errno;
}

int saveEntry(const std::string& path, const FinalEntry& entry, const std::string& bytes,
              AtomicFileWriter::Temporary temporary)
{
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        return errno == ENOENT ? saveNewFile(entry, bytes, temporary) : errno;
    }
    if (S_ISDIR(target.st_mode)) {
        return EISDIR;
    }
    // Write protection is the owner's word that the file is to be kept; it holds for root too.
    if (S_ISREG(target.st_mode) && (target.st_mode & kAnyWrite) == 0) {
        return EACCES;
    }
    // Opening without truncation checks the right to write and changes nothing yet.
    const UniqueFd fd{::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC)};
    struct stat opened {};
    if (!fd.valid() || ::fstat(fd.get(), &opened) != 0) {
        return errno;
    }
    if (!S_ISREG(opened.st_mode)) {
        return writeInPlace(fd.get(), bytes, false);
    }
    // The entry must still hold the file opened: one renamed or deleted meanwhile is written
    // where it is.
    struct stat found {};
    int error = kSucceeded;
    if (!entry.descriptorLink && ::lstat(entry.path.c_str(), &found) == 0 && found.st_dev == opened.st_dev &&
        found.st_ino == opened.st_ino &&
        replaceThroughTemporary(entry.path, &opened, bytes, temporary, error) != Replacement::impossible) {
        return error;
    }
    return writeInPlace(fd.get(), bytes, true);
}

// Keeps SIGXFSZ from ending the process during a save, so that a write past the file size
// limit fails with EFBIG and is reported like any failed write. A signal the program ignores
// or handles itself is left so.
class FileSizeLimitReported final {
public:
    FileSizeLimitReported()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        changed_ = ::sigaction(SIGXFSZ, nullptr, &previous_) == 0 && (previous_.sa_flags & SA_SIGINFO) == 0 &&
                   previous_.sa_handler == SIG_DFL && ::sigaction(SIGXFSZ, &ignore, nullptr) == 0;
    }
    ~FileSizeLimitReported()
    {
        if (changed_) {
            ::sigaction(SIGXFSZ, &previous_, nullptr);
        }
    }
    FileSizeLimitReported(const FileSizeLimitReported&) = delete;
    FileSizeLimitReported& operator=(const FileSizeLimitReported&) = delete;

private:
    struct sigaction previous_ {};
    bool changed_ = false;
};

}  // namespace

bool AtomicFileWriter::replaceFile(const std::string& path, const std::string& bytes, std::string& error)
{
    const FileSizeLimitReported sizeLimit;
    int failed = kSucceeded;
    const std::optional<FinalEntry> entry = finalEntry(path, failed);
    if (!entry) {
        error = errorText(failed);
    } else if (entry->ownDescriptor) {
        error = writeThroughDescriptor(*entry->ownDescriptor, bytes);
    } else {
        error = errorText(saveEntry(path, *entry, bytes, temporary_));
    }
    return error.empty();
}

bool AtomicFileWriter::writeStandardOutput(const std::string& bytes, std::string& error)
{
    const FileSizeLimitReported sizeLimit;
    error = writeThroughDescriptor(STDOUT_FILENO, bytes);
    return error.empty();
}

}  // namespace mezu::posix
