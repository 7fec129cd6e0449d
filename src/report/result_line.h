// SPDX-License-Identifier: MIT
// The result line of one measured tree, "0000.03MB - C:\DATA               = (28.0KB) (28672 B)":
// written for a report, and read back from a saved one for a comparison. Read back, the path is
// the text the line shows: names whose trailing spaces the column's padding hides, or whose
// characters the report shows as "?", read back alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/byte_total.h"

namespace mezu {

// Width of the path column; a longer path is shown whole and pushes the rest to the right.
inline constexpr std::size_t kResultPathWidth = 21;

// `scaled` ÷ `scale` with at least `minIntegerDigits` integer digits and `decimals` decimals
// (`scale` is ten to that power): (1234, 10, 1, 1) is "123.4" with a point for a separator.
std::string formatFixedPoint(ByteTotal scaled, std::uint64_t scale, std::size_t minIntegerDigits, std::size_t decimals,
                             std::string_view decimalSeparator);

// "0002.86MB": `totalBytes` in megabytes, rounded half away from zero to two decimals, with at
// least four integer digits; the size field that begins a result line.
std::string formatMegabytes(ByteTotal totalBytes, std::string_view decimalSeparator);

// The line for `path` with `totalBytes` allocated below it. MB and KB are rounded half away
// from zero to two and one decimals; `decimalSeparator` is the locale's.
std::string formatResultLine(std::string_view path, ByteTotal totalBytes, std::string_view decimalSeparator);

struct ResultLineFields {
    std::string path;   // the drive path as shown, without the padding of the path column
    std::string bytes;  // the byte figure's digits, which may exceed 64 bits
};

// The fields of a result line, or nothing for any other line (a rule, a drive line, a header).
std::optional<ResultLineFields> parseResultLine(std::string_view line);

// The value of a byte figure's digits; nullopt when it exceeds what a total holds (2^128 - 1).
std::optional<ByteTotal> byteFigure(std::string_view digits);

}  // namespace mezu
