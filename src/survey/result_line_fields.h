// Reads a result line ("0000.03MB - C:\DATA               = (28.0KB) (28672 B)") back into the
// directory it names and its byte figure, for the features that act on a report's lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mezu {

struct ResultLineFields {
    std::string path;   // the drive path as shown, without the padding of the path column
    std::string bytes;  // the byte figure's digits, which may exceed 64 bits
};

// The fields of a result line, or nothing for any other line (a rule, a drive line, a header).
std::optional<ResultLineFields> parseResultLine(std::string_view line);

// The byte figure as a number, close enough for a share (it may exceed 64 bits).
double approximateBytes(const ResultLineFields& fields);

}  // namespace mezu
