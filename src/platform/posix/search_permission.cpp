// SPDX-License-Identifier: MIT
#include "platform/posix/search_permission.h"

#include <unistd.h>

#include <algorithm>

namespace mezu::posix {

SearchPermission::SearchPermission(uid_t user, gid_t group, std::vector<gid_t> otherGroups)
    : user_(user),
      group_(group),
      otherGroups_(std::move(otherGroups))
{
    std::sort(otherGroups_.begin(), otherGroups_.end());
}

SearchPermission SearchPermission::ofThisProcess()
{
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int count = groups.empty() ? 0 : ::getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(static_cast<std::size_t>(std::max(count, 0)));
    return SearchPermission{::geteuid(), ::getegid(), std::move(groups)};
}

bool SearchPermission::maySearch(const struct stat& directory) const
{
    constexpr uid_t kRoot = 0;
    if (user_ == kRoot) {
        return true;
    }
    if (directory.st_uid == user_) {
        return (directory.st_mode & S_IXUSR) != 0;
    }
    if (directory.st_gid == group_ || std::binary_search(otherGroups_.begin(), otherGroups_.end(), directory.st_gid)) {
        return (directory.st_mode & S_IXGRP) != 0;
    }
    return (directory.st_mode & S_IXOTH) != 0;
}

}  // namespace mezu::posix
