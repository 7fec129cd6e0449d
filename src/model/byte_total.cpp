// SPDX-License-Identifier: MIT
#include "model/byte_total.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace mezu {

std::string decimalText(ByteTotal value)
{
    constexpr unsigned kBase = 10;
    // Nearly every total fits 64 bits, whose digits cost no 128-bit division.
    if (value <= std::numeric_limits<std::uint64_t>::max()) {
        return std::to_string(static_cast<std::uint64_t>(value));
    }
    std::string digits;
    do {
        digits += static_cast<char>('0' + static_cast<unsigned>(value % kBase));
        value /= kBase;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

}  // namespace mezu
