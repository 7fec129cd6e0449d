// SPDX-License-Identifier: MIT
#include "platform/posix/physical_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/posix/unique_fd.h"

namespace mezu::posix {
namespace {

bool sameEntry(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The name under which `parent` lists the directory `child`, or empty with errno set.
std::string nameInParent(int parent, const struct stat& child)
{
    UniqueFd listed{::openat(parent, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    DIR* listing = listed.valid() ? ::fdopendir(listed.get()) : nullptr;
    if (listing == nullptr) {
        return {};
    }
    listed.release();
    std::string found;
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        struct stat status {};
        // A mount point lists the mounted root's device and inode only through a stat.
        if (name != "." && name != ".." && ::fstatat(parent, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameEntry(status, child)) {
            found = entry->d_name;
            break;
        }
    }
    const int reason = errno != 0 ? errno : ENOENT;
    ::closedir(listing);
    errno = found.empty() ? reason : 0;
    return found;
}

// Climbs from `directory` to the root through "..", naming each step; no path is ever longer
// than "..", so the depth does not matter.
std::string climbToRoot(UniqueFd directory)
{
    std::vector<std::string> names;
    for (;;) {
        struct stat here {};
        UniqueFd parent{::openat(directory.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
        struct stat above {};
        if (::fstat(directory.get(), &here) != 0 || !parent.valid() || ::fstat(parent.get(), &above) != 0) {
            return {};
        }
        if (sameEntry(here, above)) {
            break;
        }
        std::string name = nameInParent(parent.get(), here);
        if (name.empty()) {
            return {};
        }
        names.push_back(std::move(name));
        directory = std::move(parent);
    }
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        path += '/';
        path += *name;
    }
    return path.empty() ? std::string{"/"} : path;
}

}  // namespace

std::string physicalDirectoryPath(const std::string& path)
{
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string result = resolved;
        std::free(resolved);
        return result;
    }
    if (errno != ENAMETOOLONG) {
        return {};
    }
    UniqueFd directory{::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (!directory.valid()) {
        return {};
    }
    return climbToRoot(std::move(directory));
}

}  // namespace mezu::posix
