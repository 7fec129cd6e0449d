// SPDX-License-Identifier: MIT
#include "report/result_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "model/path_text.h"
#include "model/text_order.h"
#include "model/utf8_text.h"

namespace mezu {
namespace {

// `bytes` ÷ `unit` rounded half up to `decimals` places, as the integer count of those places.
// Exact for every total: the remainder is scaled separately from the quotient.
ByteTotal roundedFraction(ByteTotal bytes, std::uint64_t unit, std::uint64_t scale)
{
    if (bytes <= std::numeric_limits<std::uint64_t>::max()) {
        // Divided in 64 bits, which costs no 128-bit library call.
        const auto narrow = static_cast<std::uint64_t>(bytes);
        return ByteTotal{narrow / unit} * scale + ((narrow % unit) * scale + unit / 2) / unit;
    }
    const ByteTotal whole = bytes / unit;
    const std::uint64_t remainder = static_cast<std::uint64_t>(bytes % unit);
    return whole * scale + (remainder * scale + unit / 2) / unit;
}

// Adds the decimal digits of `value` to `text`.
void appendDecimal(std::string& text, ByteTotal value)
{
    // Nearly every figure fits 64 bits, whose digits need neither a 128-bit division nor a
    // string of their own.
    if (value > std::numeric_limits<std::uint64_t>::max()) {
        text += decimalText(value);
        return;
    }
    std::array<char, std::numeric_limits<std::uint64_t>::digits10 + 1> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<std::uint64_t>(value)).ptr;
    text.append(digits.data(), end);
}

std::size_t decimalDigits(ByteTotal value)
{
    constexpr unsigned kBase = 10;
    std::size_t digits = 1;
    for (; value > std::numeric_limits<std::uint64_t>::max(); value /= kBase) {
        ++digits;
    }
    for (auto narrow = static_cast<std::uint64_t>(value); narrow >= kBase; narrow /= kBase) {
        ++digits;
    }
    return digits;
}

// Adds `scaled` ÷ `scale` to `text` with at least `minIntegerDigits` integer digits and
// `decimals` decimals (the digits of `scale` less one).
void appendFixedPoint(std::string& text, ByteTotal scaled, std::uint64_t scale, std::size_t minIntegerDigits,
                      std::size_t decimals, std::string_view decimalSeparator)
{
    const bool narrow = scaled <= std::numeric_limits<std::uint64_t>::max();
    const auto narrowed = static_cast<std::uint64_t>(scaled);
    const ByteTotal integer = narrow ? ByteTotal{narrowed / scale} : scaled / scale;
    const ByteTotal fraction = narrow ? ByteTotal{narrowed % scale} : scaled % scale;
    if (const std::size_t digits = decimalDigits(integer); digits < minIntegerDigits) {
        text.append(minIntegerDigits - digits, '0');
    }
    appendDecimal(text, integer);
    text += decimalSeparator;
    text.append(decimals - decimalDigits(fraction), '0');
    appendDecimal(text, fraction);
}

constexpr std::uint64_t kKilobyte = 1024;
constexpr std::uint64_t kMegabyte = std::uint64_t{1024} * 1024;

void appendMegabytes(std::string& text, ByteTotal totalBytes, std::string_view decimalSeparator)
{
    appendFixedPoint(text, roundedFraction(totalBytes, kMegabyte, 100), 100, 4, 2, decimalSeparator);
    text += "MB";
}

}  // namespace

std::string formatFixedPoint(ByteTotal scaled, std::uint64_t scale, std::size_t minIntegerDigits, std::size_t decimals,
                             std::string_view decimalSeparator)
{
    std::string text;
    appendFixedPoint(text, scaled, scale, minIntegerDigits, decimals, decimalSeparator);
    return text;
}

std::string formatMegabytes(ByteTotal totalBytes, std::string_view decimalSeparator)
{
    std::string text;
    appendMegabytes(text, totalBytes, decimalSeparator);
    return text;
}

namespace {

// The fields of a result line around its path, built on the stack: a survey writes one line for
// each of thousands of directories, and a string for each field cost more than the walk did.
// Holds any 64-bit total with a separator of up to kLongestSeparator bytes.
class LineFields {
public:
    static constexpr std::size_t kLongestSeparator = 8;

    void add(std::string_view text)
    {
        std::memcpy(end_, text.data(), text.size());
        end_ += text.size();
    }
    // `value` with at least `digits` digits.
    void addDecimal(std::uint64_t value, std::size_t digits)
    {
        std::array<char, kMostDigits> text{};
        const std::size_t length =
            static_cast<std::size_t>(std::to_chars(text.begin(), text.end(), value).ptr - text.begin());
        for (; digits > length; --digits) {
            *end_++ = '0';
        }
        add({text.data(), length});
    }
    std::string_view text() const { return {fields_.data(), static_cast<std::size_t>(end_ - fields_.data())}; }

private:
    static constexpr std::size_t kMostDigits = std::numeric_limits<std::uint64_t>::digits10 + 1;
    // The longer of "0000.00MB - " and " = (0.0KB) (0 B)" with every figure at its longest.
    std::array<char, 3 * kMostDigits + 2 * kLongestSeparator + 16> fields_{};
    char* end_ = fields_.data();
};

// Adds `path` as shown, padded to the path column's width.
void appendPathColumn(std::string& line, std::string_view path)
{
    std::size_t width = path.size();
    if (isPrintableAscii(path)) {
        // As nearly every path is: shown as it is, one position a byte.
        line += path;
    } else {
        const std::size_t pathStart = line.size();
        appendDisplayPath(line, path);
        width = utf16Length(std::string_view{line}.substr(pathStart));
    }
    if (width < kResultPathWidth) {
        line.append(kResultPathWidth - width, ' ');
    }
}

}  // namespace

std::string formatResultLine(std::string_view path, ByteTotal totalBytes, std::string_view decimalSeparator)
{
    const ByteTotal tenthsOfKilobyte = roundedFraction(totalBytes, kKilobyte, 10);
    std::string line;
    if (totalBytes <= std::numeric_limits<std::uint64_t>::max() &&
        decimalSeparator.size() <= LineFields::kLongestSeparator) {
        // Nearly every total: both figures derived from it fit 64 bits as well.
        const auto megabytes = static_cast<std::uint64_t>(roundedFraction(totalBytes, kMegabyte, 100));
        const auto kilobytes = static_cast<std::uint64_t>(tenthsOfKilobyte);
        LineFields before;
        before.addDecimal(megabytes / 100, 4);
        before.add(decimalSeparator);
        before.addDecimal(megabytes % 100, 2);
        before.add("MB - ");
        LineFields after;
        after.add(" = (");
        after.addDecimal(kilobytes / 10, 1);
        after.add(decimalSeparator);
        after.addDecimal(kilobytes % 10, 1);
        after.add("KB) (");
        after.addDecimal(static_cast<std::uint64_t>(totalBytes), 1);
        after.add(" B)");
        line.reserve(before.text().size() + std::max(path.size(), kResultPathWidth) + after.text().size());
        line += before.text();
        appendPathColumn(line, path);
        line += after.text();
        return line;
    }
    appendMegabytes(line, totalBytes, decimalSeparator);
    line += " - ";
    appendPathColumn(line, path);
    line += " = (";
    appendFixedPoint(line, tenthsOfKilobyte, 10, 1, 1, decimalSeparator);
    line += "KB) (";
    appendDecimal(line, totalBytes);
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
