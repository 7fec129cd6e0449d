#include "platform/posix/atomic_file_writer.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
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

struct FinalEntry {
    std::string path;
    // The chain went through a link of /proc, which names an open file (a descriptor, as
    // /dev/stdout does) rather than a directory entry: there is nothing to rename over.
    bool descriptorLink = false;
};

// The directory entry that holds the file `path` names, found by following a chain of symbolic
// links in its last component: the entry a replacement renames over. The entry need not exist
// (a dangling link names the file to create). Empty with `error` set on a loop.
std::optional<FinalEntry> finalEntry(std::string path, int& error)
{
    for (int hop = 0; hop < kMostLinks; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return FinalEntry{path, false};
        }
        struct statfs linkFileSystem {};
        if (::statfs(splitPath(path).directory.c_str(), &linkFileSystem) == 0 &&
            linkFileSystem.f_type == PROC_SUPER_MAGIC) {
            return FinalEntry{path, true};
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

// Returns 0 or the errno of the failed write.
int writeAll(int fd, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        written += static_cast<std::size_t>(n);
    }
    return kSucceeded;
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

// Creates a new file of a random name beginning with kTemporaryPrefix in `directory`.
UniqueFd createTemporary(int directory, mode_t mode, std::string& name)
{
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        std::array<unsigned char, kRandomLetters> random{};
        if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) {
            return UniqueFd{};
        }
        name = kTemporaryPrefix;
        for (const unsigned char byte : random) {
            name += kNameLetters[byte % kNameLetters.size()];
        }
        UniqueFd fd{::openat(directory, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode)};
        if (fd.valid() || errno != EEXIST) {
            return fd;
        }
    }
    return UniqueFd{};
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

// Writes the bytes to a temporary file beside `entry` and renames it over `entry`. `replaced`
// describes the existing file, or is null for a new one. `impossible` when no temporary file
// with the old file's owner can be made there; `failed` (with `error`) when writing it failed.
Replacement replaceThroughTemporary(const std::string& entry, const struct stat* replaced,
                                    const std::string& bytes, int& error)
{
    const Entry parts = splitPath(entry);
    const UniqueFd directory{::open(parts.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (!directory.valid()) {
        return Replacement::impossible;
    }
    InterruptCleanup cleanup;
    std::string temporary;
    UniqueFd fd = createTemporary(directory.get(), replaced != nullptr ? kPrivateMode : kNewFileMode, temporary);
    if (!fd.valid()) {
        return Replacement::impossible;
    }
    cleanup.watch(directory.get(), temporary.c_str());
    if (replaced != nullptr && !takeOwnerAndMode(fd.get(), *replaced)) {
        ::unlinkat(directory.get(), temporary.c_str(), 0);
        return Replacement::impossible;
    }
    error = writeAll(fd.get(), bytes);
    if (error == kSucceeded && ::fsync(fd.get()) != 0) {
        error = errno;
    }
    if (::close(fd.release()) != 0 && error == kSucceeded) {
        error = errno;
    }
    if (error == kSucceeded && ::renameat(directory.get(), temporary.c_str(), directory.get(), parts.name.c_str()) != 0) {
        error = errno;
    }
    if (error != kSucceeded) {
        ::unlinkat(directory.get(), temporary.c_str(), 0);
        return Replacement::failed;
    }
    cleanup.release();
    ::fsync(directory.get());
    return Replacement::replaced;
}

int saveNewFile(const std::string& path, const std::string& bytes)
{
    int error = kSucceeded;
    const std::optional<FinalEntry> entry = finalEntry(path, error);
    if (!entry) {
        return error;
    }
    if (!entry->descriptorLink &&
        replaceThroughTemporary(entry->path, nullptr, bytes, error) != Replacement::impossible) {
        return error;
    }
    const UniqueFd fd{::open(entry->path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, kNewFileMode)};
    return fd.valid() ? writeInPlace(fd.get(), bytes, true) : errno;
}

int save(const std::string& path, const std::string& bytes)
{
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        return errno == ENOENT ? saveNewFile(path, bytes) : errno;
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
    int error = kSucceeded;
    const std::optional<FinalEntry> entry = finalEntry(path, error);
    if (!entry) {
        return error;
    }
    // The entry must still hold the file opened: one renamed or deleted meanwhile is written
    // where it is.
    struct stat found {};
    if (!entry->descriptorLink && ::lstat(entry->path.c_str(), &found) == 0 && found.st_dev == opened.st_dev &&
        found.st_ino == opened.st_ino &&
        replaceThroughTemporary(entry->path, &opened, bytes, error) != Replacement::impossible) {
        return error;
    }
    return writeInPlace(fd.get(), bytes, true);
}

}  // namespace

bool AtomicFileWriter::replaceFile(const std::string& path, const std::string& bytes, std::string& error)
{
    const int failed = save(path, bytes);
    if (failed != kSucceeded) {
        error = std::strerror(failed);
        return false;
    }
    return true;
}

}  // namespace mezu::posix
