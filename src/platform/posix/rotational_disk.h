// SPDX-License-Identifier: MIT
// Whether a file system lies on a spinning disk, as the block layer says
// (/sys/dev/block/MAJOR:MINOR/queue/rotational, or its whole disk's for a partition). A disk of a
// virtual machine (virtio, or a disk the hypervisor names as virtual) says it spins whatever lies
// beneath it, so it is not taken at its word; nor is anything the block layer cannot tell of
// (network, memory and virtual file systems): false.
#pragma once

#include <sys/types.h>

#include <string>

namespace mezu::posix {

bool isOnRotationalDisk(dev_t device);

// The rule on the block layer's texts: the device's path under /sys/devices, its queue's
// rotational flag, and its model (empty when it has none).
bool isSpinningDisk(const std::string& devicePath, const std::string& rotational, const std::string& model);

}  // namespace mezu::posix
