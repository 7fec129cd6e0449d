// SPDX-License-Identifier: MIT
#include "temp_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace mezu::test {
namespace {

void fail(const std::string& what)
{
    throw std::runtime_error("temp tree: " + what);
}

// Removes everything inside the open directory `fd`, relative to descriptors, at any depth.
void removeContents(int fd)
{
    DIR* directory = ::fdopendir(::dup(fd));
    if (directory == nullptr) {
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(directory);
    for (const std::string& name : names) {
        struct stat status {};
        if (::fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode)) {
            // Best effort: a directory that stays closed fails its removal below, which is all.
            [[maybe_unused]] const int opened = ::fchmodat(fd, name.c_str(), 0700, 0);
            const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child >= 0) {
                removeContents(child);
                ::close(child);
            }
            ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
        } else {
            ::unlinkat(fd, name.c_str(), 0);
        }
    }
}

}  // namespace

TempTree::TempTree()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string{base != nullptr && *base != '\0' ? base : "/tmp"} + "/mezu-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        fail("mkdtemp");
    }
    char* resolved = ::realpath(pattern.c_str(), nullptr);
    root_ = resolved;
    std::free(resolved);
    ::chmod(root_.c_str(), 0755);
}

TempTree::~TempTree()
{
    const int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        removeContents(fd);
        ::close(fd);
    }
    ::rmdir(root_.c_str());
}

void TempTree::remove(const std::string& relative)
{
    const int fd = ::open(path(relative).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        removeContents(fd);
        ::close(fd);
        ::rmdir(path(relative).c_str());
    } else {
        ::unlink(path(relative).c_str());
    }
}

void TempTree::dir(const std::string& relative)
{
    std::string partial;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        partial = relative.substr(0, end);
        if (::mkdir(path(partial).c_str(), 0755) != 0 && errno != EEXIST) {
            fail("mkdir " + partial);
        }
        start = end + 1;
    }
}

void TempTree::file(const std::string& relative, std::uint64_t length)
{
    const int fd = ::open(path(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(length)) != 0) {
        fail("file " + relative);
    }
    ::close(fd);
}

void TempTree::symlink(const std::string& target, const std::string& relative)
{
    if (::symlink(target.c_str(), path(relative).c_str()) != 0) {
        fail("symlink " + relative);
    }
}

bool TempTree::fifo(const std::string& relative)
{
    return ::mkfifo(path(relative).c_str(), 0644) == 0;
}

void TempTree::deepChain(const std::string& relative, const std::string& name, int levels, std::uint64_t fileLength)
{
    int fd = ::open(path(relative).c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels && fd >= 0; ++i) {
        if (::mkdirat(fd, name.c_str(), 0755) != 0) {
            fail("mkdirat at level " + std::to_string(i));
        }
        const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = child;
    }
    if (fd < 0) {
        fail("deep chain");
    }
    const int file = ::openat(fd, "deep.bin", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file < 0 || ::ftruncate(file, static_cast<off_t>(fileLength)) != 0) {
        fail("deep file");
    }
    ::close(file);
    ::close(fd);
}

}  // namespace mezu::test
