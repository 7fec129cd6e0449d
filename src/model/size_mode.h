// SPDX-License-Identifier: MIT
// What a file counts in a measurement: its length in whole clusters of its drive, or the bytes
// the file system reports as allocated to it (sparse, compressed and preallocated files differ
// from the rounding). And whether a file with several names (hard links) counts at each of them,
// as every name is a file to the original, or once per command, where the walk meets it first, as
// du counts. Reports made in the allocated mode or with links counted once say so in their title.
#pragma once

namespace mezu {

enum class SizeMode { Clusters, Allocated };
enum class LinkCounting { EveryLink, Once };

}  // namespace mezu
