// SPDX-License-Identifier: MIT
#include "engine/result_line.h"

#include <cstdint>
#include <limits>

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
    // Nearly every figure fits 64 bits, where division costs no 128-bit library call.
    const bool narrow = scaled <= std::numeric_limits<std::uint64_t>::max();
    const auto narrowed = static_cast<std::uint64_t>(scaled);
    std::string text = decimalText(narrow ? ByteTotal{narrowed / scale} : scaled / scale);
    if (text.size() < minIntegerDigits) {
        text.insert(0, minIntegerDigits - text.size(), '0');
    }
    const std::string fraction = decimalText(narrow ? ByteTotal{narrowed % scale} : scaled % scale);
    text += decimalSeparator;
    text.append(decimals - fraction.size(), '0');
    text += fraction;
    return text;
}

constexpr std::uint64_t kKilobyte = 1024;
constexpr std::uint64_t kMegabyte = 1024 * 1024;

}  // namespace

std::string formatMegabytes(ByteTotal totalBytes, std::string_view decimalSeparator)
{
    return fixedPoint(roundedFraction(totalBytes, kMegabyte, 100), 100, 4, 2, decimalSeparator) + "MB";
}

std::string formatResultLine(std::string_view path, ByteTotal totalBytes,
                             std::string_view decimalSeparator)
{
    const ByteTotal tenthsOfKilobyte = roundedFraction(totalBytes, kKilobyte, 10);

    // Room for the path and every other field of all but the largest totals.
    constexpr std::size_t kOtherFields = 80;
    std::string line;
    line.reserve(path.size() + kResultPathWidth + kOtherFields);
    line += formatMegabytes(totalBytes, decimalSeparator);
    line += " - ";
    const std::string shownPath = displayPath(path);
    line += shownPath;
    const std::size_t pathWidth = utf16Length(shownPath);
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
