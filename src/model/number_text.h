// SPDX-License-Identifier: MIT
// Number to text with a sign position: decimal digits without grouping, preceded by a space
// for zero and positive values and by "-" for negative ones.
#pragma once

#include <cstdint>
#include <string>

namespace mezu {

inline std::string withSignPosition(std::int64_t value)
{
    if (value < 0) {
        return "-" + std::to_string(-static_cast<std::uint64_t>(value));
    }
    return " " + std::to_string(value);
}

inline std::string withSignPosition(std::uint64_t value)
{
    return " " + std::to_string(value);
}

}  // namespace mezu
