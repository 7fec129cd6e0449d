// SPDX-License-Identifier: MIT
#include "report/report_header.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "model/number_text.h"
#include "model/path_text.h"

namespace mezu {
namespace {

std::string twoDigits(int value)
{
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%02d", value);
    return buffer.data();
}

std::string fourDigits(int value)
{
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%04d", value);
    return buffer.data();
}

}  // namespace

std::string formatDateLine(const LocalDateTime& when)
{
    static constexpr std::array<std::string_view, 7> kWeekdays = {"日", "月", "火", "水", "木", "金", "土"};
    const std::string_view weekday =
        (when.weekday >= 0 && when.weekday < 7) ? kWeekdays[static_cast<std::size_t>(when.weekday)] : "?";
    std::string line = "実施日時：";
    line += fourDigits(when.year) + "年" + twoDigits(when.month) + "月" + twoDigits(when.day) + "日(";
    line += weekday;
    line += ")－" + twoDigits(when.hour) + "時" + twoDigits(when.minute) + "分" + twoDigits(when.second) + "秒";
    return line;
}

void appendHeaderBlock(LineList& header, const LocalDateTime& when, SizeMode mode, LinkCounting links)
{
    header.add(std::string{kBlankReportLine});
    header.add(std::string{kBlankReportLine});
    std::string title = "ディレクトリ容量調査ツール　Ver " + std::string{kVersionText};
    if (mode == SizeMode::Allocated) {
        title += kAllocatedTitleNote;
    }
    if (links == LinkCounting::Once) {
        title += kLinksOnceTitleNote;
    }
    header.add(std::move(title));
    header.add(std::string{kBlankReportLine});
    header.add(formatDateLine(when));
    header.add(std::string{kBlankReportLine});
}

std::string formatCountLine(std::string_view surveyedPath, std::size_t resultLines)
{
    return displayPath(surveyedPath) + " 以下のディレクトリ数：" +
           withSignPosition(static_cast<std::int64_t>(resultLines) - 1);
}

}  // namespace mezu
