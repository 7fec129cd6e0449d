// SPDX-License-Identifier: MIT
// Whether a process may look names up in a directory, judged from the directory's mode bits:
// the owner's, the group's or the others' search bit, whichever class the process falls in;
// root may search any. Access control lists can say otherwise; where they do, the lookups
// themselves fail and say so.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <vector>

namespace mezu::posix {

class SearchPermission {
public:
    SearchPermission(uid_t user, gid_t group, std::vector<gid_t> otherGroups);
    // The effective user and groups of this process, as they are now.
    static SearchPermission ofThisProcess();

    bool maySearch(const struct stat& directory) const;

private:
    uid_t user_;
    gid_t group_;
    std::vector<gid_t> otherGroups_;  // sorted
};

}  // namespace mezu::posix
