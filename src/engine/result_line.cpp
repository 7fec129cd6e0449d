#include "engine/result_line.h"

#include "model/path_text.h"
#include "model/text_order.h"

namespace mezu {
namespace {

// `bytes` ÷ `unit` rounded half up to `decimals` places, as the integer count of those places.
// Exact for every 64-bit total: the remainder is scaled separately from the quotient.
std::uint64_t roundedFraction(std::uint64_t bytes, std::uint64_t unit, std::uint64_t scale)
{
    const std::uint64_t whole = bytes / unit;
    const std::uint64_t remainder = bytes % unit;
    return whole * scale + (remainder * scale + unit / 2) / unit;
}

std::string fixedPoint(std::uint64_t scaled, std::uint64_t scale, std::size_t minIntegerDigits,
                       std::size_t decimals, std::string_view decimalSeparator)
{
    std::string integer = std::to_string(scaled / scale);
    if (integer.size() < minIntegerDigits) {
        integer.insert(0, minIntegerDigits - integer.size(), '0');
    }
    std::string fraction = std::to_string(scaled % scale);
    fraction.insert(0, decimals - fraction.size(), '0');
    return integer + std::string{decimalSeparator} + fraction;
}

}  // namespace

std::string formatResultLine(std::string_view path, std::uint64_t totalBytes,
                             std::string_view decimalSeparator)
{
    constexpr std::uint64_t kKilobyte = 1024;
    constexpr std::uint64_t kMegabyte = 1024 * 1024;

    const std::uint64_t hundredthsOfMegabyte = roundedFraction(totalBytes, kMegabyte, 100);
    const std::uint64_t tenthsOfKilobyte = roundedFraction(totalBytes, kKilobyte, 10);

    std::string line = fixedPoint(hundredthsOfMegabyte, 100, 4, 2, decimalSeparator);
    line += "MB - ";
    line += displayPath(path);
    const std::size_t pathWidth = utf16Length(path);
    if (pathWidth < kResultPathWidth) {
        line.append(kResultPathWidth - pathWidth, ' ');
    }
    line += " = (";
    line += fixedPoint(tenthsOfKilobyte, 10, 1, 1, decimalSeparator);
    line += "KB) (";
    line += std::to_string(totalBytes);
    line += " B)";
    return line;
}

}  // namespace mezu
