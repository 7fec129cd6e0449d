// SPDX-License-Identifier: MIT
// The byte count of a measurement: 128 bits, so that no sum of file lengths can wrap. 64 bits
// end at 16 EiB, which three sparse files of the largest length already pass.
#pragma once

#include <string>

namespace mezu {

__extension__ typedef unsigned __int128 ByteTotal;

// The number in decimal digits, without grouping.
std::string decimalText(ByteTotal value);

}  // namespace mezu
