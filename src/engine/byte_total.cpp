#include "engine/byte_total.h"

#include <algorithm>

namespace mezu {

std::string decimalText(ByteTotal value)
{
    constexpr unsigned kBase = 10;
    std::string digits;
    do {
        digits += static_cast<char>('0' + static_cast<unsigned>(value % kBase));
        value /= kBase;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

}  // namespace mezu
