// Whether a file system lies on a spinning disk, as the block layer says
// (/sys/dev/block/MAJOR:MINOR/queue/rotational, or its whole disk's for a partition). False for
// what it cannot tell: network, memory and virtual file systems.
#pragma once

#include <sys/types.h>

namespace mezu::posix {

bool isOnRotationalDisk(dev_t device);

}  // namespace mezu::posix
