// SPDX-License-Identifier: MIT
// Search permission from mode bits: the class the process falls in decides, root searches all.
#include "platform/posix/search_permission.h"

#include <gtest/gtest.h>

namespace mezu::posix {
namespace {

TEST(SearchPermissionTest, TheOwnersTheGroupsOrTheOthersBitDecides)
{
    constexpr uid_t kUser = 1000;
    constexpr gid_t kGroup = 100;
    constexpr gid_t kOtherGroup = 200;
    const SearchPermission user{kUser, kGroup, {kOtherGroup, 300}};
    struct Case {
        uid_t owner;
        gid_t group;
        mode_t mode;
        bool searchable;
    };
    const Case cases[] = {
        {kUser, 1, 0700, true},  {kUser, 1, 0600, false},      {kUser, kGroup, 0071, false},
        {2, kGroup, 0010, true}, {2, kOtherGroup, 0010, true}, {2, kOtherGroup, 0701, false},
        {2, 1, 0001, true},      {2, 1, 0770, false},
    };
    for (const Case& c : cases) {
        struct stat directory {};
        directory.st_uid = c.owner;
        directory.st_gid = c.group;
        directory.st_mode = S_IFDIR | c.mode;
        EXPECT_EQ(user.maySearch(directory), c.searchable) << std::oct << c.mode << " " << c.owner << ":" << c.group;
        EXPECT_TRUE((SearchPermission{0, 0, {}}.maySearch(directory))) << "root";
    }
}

}  // namespace
}  // namespace mezu::posix
