// SPDX-License-Identifier: MIT
#include "survey/sortcmd.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/text_order.h"
#include "model/utf8_text.h"

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
    return SizeField{significant, integerEnd - significant, integerEnd + 1, fractionEnd - integerEnd - 1};
}

// What the order reads of a line, found once; the sort moves these, not the lines. Kept small:
// a survey sorts tens of thousands, and every page of fresh memory costs a page fault.
struct SortKey {
    // For a line with a compact size field, the integer's value; once the lines of one size
    // are found, eight bytes of the line from where they start to differ, packed big-endian.
    std::uint64_t major = 0;
    // For a line with a compact size field, its decimals' bytes packed big-endian, which order
    // as the digit texts do.
    std::uint64_t minor = 0;
    std::uint32_t index = 0;   // of the line in the list
    bool sized = false;        // the line begins with a size field
    bool compactSize = false;  // the field's integer has at most 19 digits and it has at most 8 decimals
    bool ascii = false;        // every byte is ASCII: UTF-16 order is byte order
};

constexpr std::size_t kKeyBytes = sizeof(std::uint64_t);
constexpr std::size_t kMostIntegerDigits = 19;  // any 19 digits fit in 64 bits

// Up to eight bytes of `text` from `at`, big-endian, zero beyond its end: keys in this form
// order as the texts do, or are equal. Every line is read this way once or twice, so a whole
// word is loaded where the text has one.
std::uint64_t packedBytes(std::string_view text, std::size_t at)
{
    std::uint64_t word = 0;
    if (at + kKeyBytes <= text.size()) {
        std::memcpy(&word, text.data() + at, kKeyBytes);
    } else if (at < text.size()) {
        std::memcpy(&word, text.data() + at, text.size() - at);
    }
    if constexpr (std::endian::native == std::endian::little) {
        word = __builtin_bswap64(word);
    }
    return word;
}

SortKey sortKey(std::string_view line, std::uint32_t index)
{
    SortKey key;
    key.index = index;
    if (const std::optional<SizeField> size = sizeField(line)) {
        key.sized = true;
        key.compactSize = size->integerLength <= kMostIntegerDigits && size->fractionLength <= kKeyBytes;
        if (key.compactSize) {
            for (const char digit : line.substr(size->integerStart, size->integerLength)) {
                key.major = key.major * 10 + static_cast<std::uint64_t>(digit - '0');
            }
            key.minor = packedBytes(line.substr(size->fractionStart, size->fractionLength), 0);
        }
    }
    key.ascii = isAscii(line);
    return key;
}

// Room the radix sort below reuses from one call to the next.
struct SortSpace {
    struct Item {
        std::uint64_t value;
        std::uint32_t at;  // of its key in the range sorted
    };
    std::vector<Item> items;
    std::vector<Item> spare;
    std::vector<SortKey> keys;
};

// Sorts [begin, end) by the 64-bit value `valueOf` reads of each key, largest first, keeping the
// order of equal values: a byte at a time from the lowest, leaving out the bytes on which every
// value agrees, with the values and places moved rather than the keys. A survey sorts once its
// walk is done, with every other thread idle: tens of thousands of lines take a few passes here
// rather than the comparisons of a general sort.
template <typename ValueOf>
void radixSortDescending(std::vector<SortKey>::iterator begin, std::vector<SortKey>::iterator end, SortSpace& space,
                         const ValueOf& valueOf)
{
    const auto count = static_cast<std::size_t>(end - begin);
    if (count < 2) {
        return;
    }
    space.items.resize(count);
    space.spare.resize(count);
    std::uint64_t differing = 0;
    const std::uint64_t first = valueOf(*begin);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t value = valueOf(begin[static_cast<std::ptrdiff_t>(i)]);
        space.items[i] = {value, static_cast<std::uint32_t>(i)};
        differing |= value ^ first;
    }
    if (differing == 0) {
        return;
    }
    constexpr unsigned kByteValues = 256;
    constexpr unsigned kBitsPerByte = 8;
    constexpr unsigned kValueBits = 64;
    for (unsigned shift = 0; shift < kValueBits; shift += kBitsPerByte) {
        if (((differing >> shift) & (kByteValues - 1)) == 0) {
            continue;
        }
        std::array<std::size_t, kByteValues> place{};
        for (const SortSpace::Item& item : space.items) {
            ++place[(item.value >> shift) & (kByteValues - 1)];
        }
        // The largest byte first.
        std::size_t next = 0;
        for (unsigned byte = kByteValues; byte-- > 0;) {
            const std::size_t inBucket = place[byte];
            place[byte] = next;
            next += inBucket;
        }
        for (const SortSpace::Item& item : space.items) {
            space.spare[place[(item.value >> shift) & (kByteValues - 1)]++] = item;
        }
        space.items.swap(space.spare);
    }
    space.keys.clear();
    space.keys.reserve(count);
    for (const SortSpace::Item& item : space.items) {
        space.keys.push_back(begin[item.at]);
    }
    std::copy(space.keys.begin(), space.keys.end(), begin);
}

// Hands each run of neighbouring keys in [begin, end) that `alike` finds alike to `handle`.
template <typename Alike, typename Handle>
void forEachRun(std::vector<SortKey>::iterator begin, std::vector<SortKey>::iterator end, const Alike& alike,
                const Handle& handle)
{
    for (auto run = begin; run != end;) {
        const auto runEnd = std::find_if(run + 1, end, [&](const SortKey& key) { return !alike(*run, key); });
        handle(run, runEnd);
        run = runEnd;
    }
}

// Orders the keys of one list.
class KeyOrder {
public:
    explicit KeyOrder(const std::vector<std::string>& lines)
        : lines_(lines)
    {
    }

    std::string_view line(const SortKey& key) const { return lines_[key.index]; }

    // Sized lines first, largest first; lines without a size field are all alike here.
    bool largerSize(const SortKey& a, const SortKey& b) const
    {
        if (a.sized != b.sized) {
            return a.sized;
        }
        return a.sized && compareSizes(a, b) > 0;
    }

    bool sameSize(const SortKey& a, const SortKey& b) const
    {
        return a.sized == b.sized && (!a.sized || compareSizes(a, b) == 0);
    }

    // Orders lines of one size by descending text. Such lines mostly share a long beginning
    // (the size and the surveyed directory's path), so ASCII lines are compared by eight bytes
    // from where they start to differ, and by their texts only when those are equal.
    void sortByText(std::vector<SortKey>::iterator begin, std::vector<SortKey>::iterator end, SortSpace& space) const
    {
        if (end - begin < 2) {
            return;
        }
        if (!std::all_of(begin, end, [](const SortKey& key) { return key.ascii; })) {
            std::sort(begin, end,
                      [this](const SortKey& a, const SortKey& b) { return compareUtf16(line(a), line(b)) > 0; });
            return;
        }
        const std::string_view first = line(*begin);
        std::size_t shared = first.size();
        for (auto key = begin + 1; key != end && shared > 0; ++key) {
            const std::string_view other = line(*key).substr(0, shared);
            // Mostly the beginning is shared whole: one comparison of it is cheaper than a
            // search, byte by byte, for where it ends.
            if (other != first.substr(0, shared)) {
                shared = static_cast<std::size_t>(std::mismatch(other.begin(), other.end(), first.begin()).first -
                                                  other.begin());
            }
        }
        for (auto key = begin; key != end; ++key) {
            key->major = packedBytes(line(*key), shared);
        }
        radixSortDescending(begin, end, space, [](const SortKey& key) { return key.major; });
        // Lines whose eight bytes there are equal go on to differ later, or are equal. Where both
        // have all eight, those are equal as text too and are passed over; a shorter line's key
        // was padded with zeros, which a longer line's zero bytes would match.
        const auto byRest = [this, shared](const SortKey& a, const SortKey& b) {
            const std::string_view textA = line(a);
            const std::string_view textB = line(b);
            const bool bothWhole = textA.size() >= shared + kKeyBytes && textB.size() >= shared + kKeyBytes;
            const std::size_t known = bothWhole ? shared + kKeyBytes : shared;
            return textA.substr(known).compare(textB.substr(known)) > 0;
        };
        forEachRun(
            begin, end, [](const SortKey& a, const SortKey& b) { return a.major == b.major; },
            [&byRest](auto run, auto runEnd) {
                if (runEnd - run > 1) {
                    std::sort(run, runEnd, byRest);
                }
            });
    }

private:
    // Negative, zero or positive as the size of `a` is smaller than, equal to or larger than
    // `b`'s; both lines are sized.
    int compareSizes(const SortKey& a, const SortKey& b) const
    {
        if (a.compactSize && b.compactSize) {
            if (a.major != b.major) {
                return a.major < b.major ? -1 : 1;
            }
            return a.minor == b.minor ? 0 : (a.minor < b.minor ? -1 : 1);
        }
        // Read again from the texts: sizes this long occur in no real report.
        const std::string_view textA = line(a);
        const std::string_view textB = line(b);
        const SizeField sizeA = *sizeField(textA);
        const SizeField sizeB = *sizeField(textB);
        if (sizeA.integerLength != sizeB.integerLength) {
            return sizeA.integerLength < sizeB.integerLength ? -1 : 1;
        }
        const int integers = textA.substr(sizeA.integerStart, sizeA.integerLength)
                                 .compare(textB.substr(sizeB.integerStart, sizeB.integerLength));
        if (integers != 0) {
            return integers;
        }
        return textA.substr(sizeA.fractionStart, sizeA.fractionLength)
            .compare(textB.substr(sizeB.fractionStart, sizeB.fractionLength));
    }

    const std::vector<std::string>& lines_;
};

}  // namespace

void sortLargestFirst(LineList& lines)
{
    // Indices are kept in 32 bits; no list holds four thousand million lines.
    std::vector<SortKey> keys;
    keys.reserve(lines.count());
    for (const std::string& line : lines.lines()) {
        keys.push_back(sortKey(line, static_cast<std::uint32_t>(keys.size())));
    }
    // By size first, with integers where they suffice; then each run of one size by its text.
    const KeyOrder order{lines.lines()};
    SortSpace space;
    if (std::all_of(keys.begin(), keys.end(), [](const SortKey& key) { return key.sized && key.compactSize; })) {
        // As in every survey: the decimals first, then the integers, each pass keeping the last's order.
        radixSortDescending(keys.begin(), keys.end(), space, [](const SortKey& key) { return key.minor; });
        radixSortDescending(keys.begin(), keys.end(), space, [](const SortKey& key) { return key.major; });
    } else {
        std::sort(keys.begin(), keys.end(),
                  [&order](const SortKey& a, const SortKey& b) { return order.largerSize(a, b); });
    }
    forEachRun(
        keys.begin(), keys.end(), [&order](const SortKey& a, const SortKey& b) { return order.sameSize(a, b); },
        [&](auto run, auto runEnd) { order.sortByText(run, runEnd, space); });
    // The keys point into the list: the order is found first, and the lines moved after.
    std::vector<std::size_t> places;
    places.reserve(keys.size());
    for (const SortKey& key : keys) {
        places.push_back(key.index);
    }
    lines.reorder(places);
}

}  // namespace mezu
