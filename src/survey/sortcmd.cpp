#include "survey/sortcmd.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
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

// A line of the list with what the order reads of it, found once; the sort moves these, not
// the lines.
struct KeyedLine {
    const char* text = nullptr;
    std::size_t length = 0;
    // The size field's integer digits (leading zeros dropped) and decimals, as places in `text`.
    std::uint32_t integerStart = 0;
    std::uint32_t integerLength = 0;
    std::uint32_t fractionStart = 0;
    std::uint32_t fractionLength = 0;
    bool sized = false;  // the line begins with a size field
    bool ascii = false;  // every byte is ASCII: UTF-16 order is byte order

    std::string_view line() const { return {text, length}; }
    std::string_view integer() const { return {text + integerStart, integerLength}; }
    std::string_view fraction() const { return {text + fractionStart, fractionLength}; }
};

KeyedLine keyedLine(std::string_view line)
{
    KeyedLine key;
    key.text = line.data();
    key.length = line.size();
    const std::optional<SizeField> size = sizeField(line);
    // Places are kept in 32 bits: a size field reaching past 4 GiB of digits is ordered as text.
    constexpr std::size_t kMostPlaces = std::numeric_limits<std::uint32_t>::max();
    if (size && size->fractionStart + size->fractionLength <= kMostPlaces) {
        key.integerStart = static_cast<std::uint32_t>(size->integerStart);
        key.integerLength = static_cast<std::uint32_t>(size->integerLength);
        key.fractionStart = static_cast<std::uint32_t>(size->fractionStart);
        key.fractionLength = static_cast<std::uint32_t>(size->fractionLength);
        key.sized = true;
    }
    constexpr unsigned char kFirstNonAscii = 0x80;
    key.ascii = std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < kFirstNonAscii; });
    return key;
}

// Negative, zero or positive as the size of `a` is smaller than, equal to or larger than `b`'s.
int compareSizes(const KeyedLine& a, const KeyedLine& b)
{
    if (a.integerLength != b.integerLength) {
        return a.integerLength < b.integerLength ? -1 : 1;
    }
    if (const int integers = a.integer().compare(b.integer()); integers != 0) {
        return integers;
    }
    return a.fraction().compare(b.fraction());
}

bool ordersBefore(const KeyedLine& a, const KeyedLine& b)
{
    if (a.sized != b.sized) {
        return a.sized;
    }
    if (a.sized) {
        if (const int sizes = compareSizes(a, b); sizes != 0) {
            return sizes > 0;
        }
    }
    return (a.ascii && b.ascii ? a.line().compare(b.line()) : compareUtf16(a.line(), b.line())) > 0;
}

}  // namespace

void sortLargestFirst(LineList& lines)
{
    std::vector<KeyedLine> keyed;
    keyed.reserve(lines.count());
    for (const std::string& line : lines.lines()) {
        keyed.push_back(keyedLine(line));
    }
    // The keys point into the list: the order is found first, and the lines moved after.
    std::vector<std::size_t> order(keyed.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&keyed](std::size_t a, std::size_t b) { return ordersBefore(keyed[a], keyed[b]); });
    lines.reorder(order);
}

}  // namespace mezu
