#include "survey/sortcmd.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/text_order.h"

namespace mezu {
namespace {

// Where the leading "<digits><separator><digits>MB" of a result line keeps its integer digits
// (leading zeros dropped) and its decimals. Compared as digit texts, so that no size is too
// large to compare; held as positions, so that it stays valid when its line moves.
struct SizeField {
    std::size_t integerStart;
    std::size_t integerLength;
    std::size_t fractionStart;
    std::size_t fractionLength;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t digitsFrom(std::string_view text, std::size_t at)
{
    std::size_t end = at;
    while (end < text.size() && isDigit(text[end])) {
        ++end;
    }
    return end;
}

// The size field of `line`, or nothing when the line does not begin with one. The decimal
// separator is the locale's, so any single character that is not a digit is taken as one.
std::optional<SizeField> sizeField(std::string_view line)
{
    const std::size_t integerEnd = digitsFrom(line, 0);
    if (integerEnd == 0 || integerEnd + 1 >= line.size()) {
        return std::nullopt;
    }
    const std::size_t fractionEnd = digitsFrom(line, integerEnd + 1);
    if (fractionEnd == integerEnd + 1 || line.substr(fractionEnd, 2) != "MB") {
        return std::nullopt;
    }
    std::size_t significant = 0;
    while (significant + 1 < integerEnd && line[significant] == '0') {
        ++significant;
    }
    return SizeField{significant, integerEnd - significant, integerEnd + 1,
                     fractionEnd - integerEnd - 1};
}

struct KeyedLine {
    std::optional<SizeField> size;
    std::string text;

    std::string_view integer() const { return std::string_view{text}.substr(size->integerStart, size->integerLength); }
    std::string_view fraction() const { return std::string_view{text}.substr(size->fractionStart, size->fractionLength); }
};

// Negative, zero or positive as the size of `a` is smaller than, equal to or larger than `b`'s.
int compareSizes(const KeyedLine& a, const KeyedLine& b)
{
    if (a.integer().size() != b.integer().size()) {
        return a.integer().size() < b.integer().size() ? -1 : 1;
    }
    if (const int integers = a.integer().compare(b.integer()); integers != 0) {
        return integers;
    }
    return a.fraction().compare(b.fraction());
}

bool ordersBefore(const KeyedLine& a, const KeyedLine& b)
{
    if (a.size.has_value() != b.size.has_value()) {
        return a.size.has_value();
    }
    if (a.size) {
        if (const int sizes = compareSizes(a, b); sizes != 0) {
            return sizes > 0;
        }
    }
    return compareUtf16(a.text, b.text) > 0;
}

}  // namespace

void sortLargestFirst(LineList& lines)
{
    std::vector<KeyedLine> keyed;
    keyed.reserve(lines.count());
    for (const std::string& line : lines.lines()) {
        keyed.push_back({sizeField(line), line});
    }
    std::sort(keyed.begin(), keyed.end(), ordersBefore);
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        if (lines.line(i) != keyed[i].text) {
            lines.set(i, std::move(keyed[i].text));
        }
    }
}

}  // namespace mezu
