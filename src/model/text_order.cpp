// SPDX-License-Identifier: MIT
#include "model/text_order.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "model/utf8_text.h"

namespace mezu {
namespace {

// Walks a UTF-8 text as a sequence of UTF-16 code units.
class Utf16Units {
public:
    explicit Utf16Units(std::string_view text)
        : text_(text)
    {
    }

    bool done() const { return pendingLow_ == 0 && pos_ >= text_.size(); }

    std::uint16_t next()
    {
        if (pendingLow_ != 0) {
            const std::uint16_t low = pendingLow_;
            pendingLow_ = 0;
            return low;
        }
        const std::uint32_t codePoint = decode();
        if (codePoint < 0x10000) {
            return static_cast<std::uint16_t>(codePoint);
        }
        const std::uint32_t offset = codePoint - 0x10000;
        pendingLow_ = static_cast<std::uint16_t>(0xDC00 + (offset & 0x3FF));
        return static_cast<std::uint16_t>(0xD800 + (offset >> 10));
    }

private:
    static constexpr std::uint32_t kEscapeBase = 0xDC00;

    std::uint8_t byteAt(std::size_t i) const { return static_cast<std::uint8_t>(text_[i]); }

    bool continuationAt(std::size_t i, std::uint8_t low = 0x80, std::uint8_t high = 0xBF) const
    {
        return i < text_.size() && byteAt(i) >= low && byteAt(i) <= high;
    }

    // Decodes one code point, or escapes one invalid byte.
    std::uint32_t decode()
    {
        const std::uint8_t lead = byteAt(pos_);
        if (lead < 0x80) {
            ++pos_;
            return lead;
        }
        std::size_t length = 0;
        std::uint8_t secondLow = 0x80;
        std::uint8_t secondHigh = 0xBF;
        std::uint32_t value = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
            if (lead == 0xE0)
                secondLow = 0xA0;
            if (lead == 0xED)
                secondHigh = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07;
            if (lead == 0xF0)
                secondLow = 0x90;
            if (lead == 0xF4)
                secondHigh = 0x8F;
        }
        bool valid = length != 0 && continuationAt(pos_ + 1, secondLow, secondHigh);
        for (std::size_t i = 2; valid && i < length; ++i) {
            valid = continuationAt(pos_ + i);
        }
        if (!valid) {
            ++pos_;
            return kEscapeBase + lead;
        }
        for (std::size_t i = 1; i < length; ++i) {
            value = (value << 6) | (byteAt(pos_ + i) & 0x3F);
        }
        pos_ += length;
        return value;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::uint16_t pendingLow_ = 0;
};

// How many bytes the two texts share at their beginning, found eight bytes at a time: result
// lines of a survey share long beginnings, and the sort compares them many times.
std::size_t sharedBeginning(std::string_view a, std::string_view b)
{
    const std::size_t shorter = std::min(a.size(), b.size());
    std::size_t shared = 0;
    for (; shared + sizeof(std::uint64_t) <= shorter; shared += sizeof(std::uint64_t)) {
        std::uint64_t left = 0;
        std::uint64_t right = 0;
        std::memcpy(&left, a.data() + shared, sizeof left);
        std::memcpy(&right, b.data() + shared, sizeof right);
        if (left != right) {
            break;
        }
    }
    while (shared < shorter && a[shared] == b[shared]) {
        ++shared;
    }
    return shared;
}

}  // namespace

int compareUtf16(std::string_view a, std::string_view b)
{
    // Equal bytes decode to equal units, so the comparison starts where the texts first
    // differ, backed up to a byte where both have a unit starting: a byte that does not
    // continue a sequence always starts one.
    const auto isContinuation = [](char c) { return (static_cast<std::uint8_t>(c) & 0xC0) == 0x80; };
    std::size_t start = sharedBeginning(a, b);
    // Where both texts go on with an ASCII byte, whatever they share before it decodes alike
    // in both (a sequence cut short there is invalid in both), and the bytes are the units.
    constexpr std::uint8_t kFirstNonAscii = 0x80;
    if (start < a.size() && start < b.size() && static_cast<std::uint8_t>(a[start]) < kFirstNonAscii &&
        static_cast<std::uint8_t>(b[start]) < kFirstNonAscii) {
        return static_cast<std::uint8_t>(a[start]) < static_cast<std::uint8_t>(b[start]) ? -1 : 1;
    }
    while (start > 0 &&
           ((start < a.size() && isContinuation(a[start])) || (start < b.size() && isContinuation(b[start])))) {
        --start;
    }
    Utf16Units left{a.substr(start)};
    Utf16Units right{b.substr(start)};
    while (!left.done() && !right.done()) {
        const std::uint16_t l = left.next();
        const std::uint16_t r = right.next();
        if (l != r) {
            return l < r ? -1 : 1;
        }
    }
    if (left.done() && right.done()) {
        return 0;
    }
    return left.done() ? -1 : 1;
}

std::size_t utf16Length(std::string_view text)
{
    // ASCII, as most names are, is one unit a byte.
    if (isAscii(text)) {
        return text.size();
    }
    Utf16Units units{text};
    std::size_t length = 0;
    while (!units.done()) {
        units.next();
        ++length;
    }
    return length;
}

}  // namespace mezu
