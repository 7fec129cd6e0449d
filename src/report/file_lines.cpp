// SPDX-License-Identifier: MIT
#include "report/file_lines.h"

#include <array>
#include <cstdio>

#include "model/number_text.h"
#include "model/path_text.h"
#include "report/result_line.h"

namespace mezu {
namespace {

constexpr std::string_view kFieldGap = "  ";
constexpr std::size_t kLengthWidth = 15;
constexpr std::size_t kCountWidth = 10;
constexpr std::string_view kUnknownDate = "----/--/--";

std::string rightAligned(std::string text, std::size_t width)
{
    if (text.size() < width) {
        text.insert(0, width - text.size(), ' ');
    }
    return text;
}

std::string dateText(const LocalDateTime& when)
{
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%04d/%02d/%02d", when.year, when.month, when.day);
    return buffer.data();
}

// `part` of `whole` in tenths of a per cent, rounded half up; 0 of nothing.
ByteTotal perMille(ByteTotal part, ByteTotal whole)
{
    constexpr unsigned kScale = 1000;
    if (whole == 0) {
        return 0;
    }
    // Halving both keeps the ratio to far more places than shown, and the products in range.
    while (whole > ~ByteTotal{0} / (ByteTotal{2} * kScale)) {
        part >>= 1;
        whole >>= 1;
    }
    const ByteTotal scaled = part * kScale;
    return scaled / whole + (scaled % whole * 2 >= whole ? 1 : 0);
}

}  // namespace

std::string formatLargestFileLine(ByteTotal counted, std::uint64_t length, const std::optional<LocalDateTime>& modified,
                                  std::string_view path, std::string_view decimalSeparator)
{
    std::string line = formatMegabytes(counted, decimalSeparator);
    line += kFieldGap;
    line += modified ? dateText(*modified) : std::string{kUnknownDate};
    line += kFieldGap;
    line += rightAligned(decimalText(length), kLengthWidth);
    line += " B";
    line += kFieldGap;
    line += displayPath(path);
    return line;
}

std::string formatShareLine(ByteTotal bytes, ByteTotal whole, std::uint64_t files, std::string_view caption,
                            std::string_view decimalSeparator)
{
    constexpr std::uint64_t kTenths = 10;
    std::string line = formatMegabytes(bytes, decimalSeparator);
    line += kFieldGap;
    line += rightAligned(formatFixedPoint(perMille(bytes, whole), kTenths, 1, 1, decimalSeparator), 5);
    line += "%";
    line += kFieldGap;
    line += rightAligned(std::to_string(files), kCountWidth);
    line += " 個";
    line += kFieldGap;
    line += caption;
    return line;
}

std::string formatLargestFilesTitle(std::string_view directory, std::size_t count)
{
    return displayPath(directory) + " 以下の大きいファイル " + std::to_string(count) + " 件";
}

std::string formatKindsTitle(std::string_view directory)
{
    return displayPath(directory) + " 以下のファイルの種類";
}

std::string formatAgesTitle(std::string_view directory)
{
    return displayPath(directory) + " 以下のファイルの更新日";
}

std::string formatExaminedFilesLine(std::uint64_t files)
{
    return "調べたファイル数：" + withSignPosition(files);
}

std::string kindCaption(std::string_view kind)
{
    return kind.empty() ? std::string{"（拡張子なし）"} : displayPath(kind);
}

std::string restCaption(std::uint64_t kinds, bool untoldKinds)
{
    return "（その他 " + std::to_string(kinds) + (untoldKinds ? " 種類以上）" : " 種類）");
}

}  // namespace mezu
