// SPDX-License-Identifier: MIT
// What a file counts in a measurement: its length in whole clusters of its drive, or the bytes
// the file system reports as allocated to it (sparse, compressed and preallocated files differ
// from the rounding). Reports made in the allocated mode say so in their title.
#pragma once

namespace mezu {

enum class SizeMode { Clusters, Allocated };

}  // namespace mezu
