#include "engine/result_line.h"

#include <cstdint>

#include "model/path_text.h"
#include "model/text_order.h"

namespace mezu {
namespace {

// `bytes` ÷ `unit` rounded half up to `decimals` places, as the integer count of those places.
// Exact for every total: the remainder is scaled separately from the quotient.
ByteTotal roundedFraction(ByteTotal bytes, std::uint64_t unit, std::uint64_t scale)
{
    const ByteTotal whole = bytes / unit;
    const std::uint64_t remainder = static_cast<std::uint64_t>(bytes % unit);
    return whole * scale + (remainder * scale + unit / 2) / unit;
}

std::string fixedPoint(ByteTotal scaled, std::uint64_t scale, std::size_t minIntegerDigits,
                       std::size_t decimals, std::string_view decimalSeparator)
{
    std::string integer = decimalText(scaled / scale);
    if (integer.size() < minIntegerDigits) {
        integer.insert(0, minIntegerDigits - integer.size(), '0');
    }
    std::string fraction = decimalText(scaled % scale);
    fraction.insert(0, decimals - fraction.size(), '0');
    return integer + std::string{decimalSeparator} + fraction;
}

}  // namespace

std::string formatResultLine(std::string_view path, ByteTotal totalBytes,
                             std::string_view decimalSeparator)
{
    constexpr std::uint64_t kKilobyte = 1024;
    constexpr std::uint64_t kMegabyte = 1024 * 1024;

    const ByteTotal hundredthsOfMegabyte = roundedFraction(totalBytes, kMegabyte, 100);
    const ByteTotal tenthsOfKilobyte = roundedFraction(totalBytes, kKilobyte, 10);

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
    line += decimalText(totalBytes);
    line += " B)";
    return line;
}

}  // namespace mezu
