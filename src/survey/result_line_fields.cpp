// SPDX-License-Identifier: MIT
#include "survey/result_line_fields.h"

namespace mezu {
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
        bytesStart == std::string_view::npos || pathEnd < pathStart + kAfterSize.size() ||
        bytesStart < pathEnd || !line.ends_with(kAfterBytes)) {
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
