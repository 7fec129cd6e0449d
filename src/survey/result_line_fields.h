// SPDX-License-Identifier: MIT
// Reads a result line of a saved report ("0000.03MB - C:\DATA               = (28.0KB) (28672 B)")
// back into the directory it shows and its byte figure, for a comparison with a saved report.
// The path is the text the line shows: names whose trailing spaces the column's padding hides, or
// whose characters the report shows as "?", read back alike.
#pragma once

#include <optional>

#include "engine/byte_total.h"
#include <string>
#include <string_view>

namespace mezu {

struct ResultLineFields {
    std::string path;   // the drive path as shown, without the padding of the path column
    std::string bytes;  // the byte figure's digits, which may exceed 64 bits
};

// The fields of a result line, or nothing for any other line (a rule, a drive line, a header).
std::optional<ResultLineFields> parseResultLine(std::string_view line);

// The value of a byte figure's digits; nullopt when it exceeds what a total holds (2^128 - 1).
std::optional<ByteTotal> byteFigure(std::string_view digits);

}  // namespace mezu
