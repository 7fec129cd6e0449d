// SPDX-License-Identifier: MIT
#include "report/result_line.h"

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

std::string fixedPoint(ByteTotal scaled, std::uint64_t scale, std::size_t minIntegerDigits, std::size_t decimals,
                       std::string_view decimalSeparator)
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
constexpr std::uint64_t kMegabyte = std::uint64_t{1024} * 1024;

}  // namespace

std::string formatMegabytes(ByteTotal totalBytes, std::string_view decimalSeparator)
{
    return fixedPoint(roundedFraction(totalBytes, kMegabyte, 100), 100, 4, 2, decimalSeparator) + "MB";
}

std::string formatResultLine(std::string_view path, ByteTotal totalBytes, std::string_view decimalSeparator)
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

namespace {

constexpr std::string_view kAfterSize = "MB - ";
constexpr std::string_view kBeforeKilobytes = " = (";
constexpr std::string_view kBeforeBytes = "KB) (";
constexpr std::string_view kAfterBytes = " B)";

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::optional<ResultLineFields> parseResultLine(std::string_view line)
{
    const std::size_t pathStart = line.find(kAfterSize);
    const std::size_t pathEnd = line.rfind(kBeforeKilobytes);
    const std::size_t bytesStart = line.rfind(kBeforeBytes);
    if (pathStart == std::string_view::npos || pathEnd == std::string_view::npos ||
        bytesStart == std::string_view::npos || pathEnd < pathStart + kAfterSize.size() || bytesStart < pathEnd ||
        !line.ends_with(kAfterBytes)) {
        return std::nullopt;
    }
    const std::string_view bytes = line.substr(bytesStart + kBeforeBytes.size(),
                                               line.size() - kAfterBytes.size() - bytesStart - kBeforeBytes.size());
    std::string_view path = line.substr(pathStart + kAfterSize.size(), pathEnd - pathStart - kAfterSize.size());
    while (!path.empty() && path.back() == ' ') {
        path.remove_suffix(1);
    }
    const bool drivePath = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    if (!drivePath || !allDigits(bytes) || !allDigits(line.substr(0, 1))) {
        return std::nullopt;
    }
    return ResultLineFields{std::string{path}, std::string{bytes}};
}

std::optional<ByteTotal> byteFigure(std::string_view digits)
{
    constexpr ByteTotal kLargest = ~ByteTotal{0};
    constexpr unsigned kBase = 10;
    ByteTotal value = 0;
    for (const char digit : digits) {
        const auto place = static_cast<unsigned>(digit - '0');
        if (digit < '0' || digit > '9' || value > (kLargest - place) / kBase) {
            return std::nullopt;
        }
        value = value * kBase + place;
    }
    return value;
}

}  // namespace mezu
