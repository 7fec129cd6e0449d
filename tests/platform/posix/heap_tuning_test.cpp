// SPDX-License-Identifier: MIT
#include "platform/posix/heap_tuning.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace mezu::posix {
namespace {

TEST(HeapTuningTest, TheGnuCLibraryTakesTheSettings)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer brings its own allocator, which takes no settings";
#elif defined(__GLIBC__)
    EXPECT_TRUE(keepLargeBlocksInTheHeap());
#else
    EXPECT_FALSE(keepLargeBlocksInTheHeap());
#endif
}

}  // namespace
}  // namespace mezu::posix
