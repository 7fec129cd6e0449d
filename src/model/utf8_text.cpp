// SPDX-License-Identifier: MIT
#include "model/utf8_text.h"

#include <cstdint>
#include <cstring>

namespace mezu {

std::size_t validSequenceLength(std::string_view text)
{
    if (text.empty()) {
        return 0;
    }
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

char32_t decodeSequence(std::string_view sequence)
{
    const auto lead = static_cast<unsigned char>(sequence.front());
    if (sequence.size() == 1) {
        return lead;
    }
    constexpr unsigned char kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
    char32_t value = lead & kLeadBits[sequence.size()];
    for (std::size_t i = 1; i < sequence.size(); ++i) {
        value = (value << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3FU);
    }
    return value;
}

namespace {

// Names are looked at eight bytes at a time: a byte at a time costs more than the rest of the
// work on a short name.
constexpr std::size_t kWordBytes = sizeof(std::uint64_t);
constexpr std::uint64_t kEachByte = 0x0101010101010101U;
constexpr std::uint64_t kHighBits = 0x8080808080808080U;

// The high bits `marked` finds in the words of `text`, a byte of which it tests each alone. The
// last bytes are tested in the word that ends the text, which may go over bytes tested already;
// a text shorter than a word is filled up with `padding`, a byte that `marked` leaves unmarked.
template <typename Marked>
std::uint64_t markedBytes(std::string_view text, unsigned char padding, const Marked& marked)
{
    std::uint64_t found = 0;
    std::uint64_t word = 0;
    if (text.size() < kWordBytes) {
        word = std::uint64_t{padding} * kEachByte;
        for (const char byte : text) {
            word = (word << 8) | static_cast<unsigned char>(byte);
        }
        return marked(word);
    }
    for (std::size_t at = 0; at + kWordBytes <= text.size(); at += kWordBytes) {
        std::memcpy(&word, text.data() + at, kWordBytes);
        found |= marked(word);
    }
    std::memcpy(&word, text.data() + text.size() - kWordBytes, kWordBytes);
    return found | marked(word);
}

// The high bit of each byte of `word` that is below 0x20 or above 0x7E. A borrow or carry
// between bytes starts only at a byte that is itself marked.
std::uint64_t unprintableBytes(std::uint64_t word)
{
    constexpr std::uint64_t kFirstPrintable = 0x20 * kEachByte;
    const std::uint64_t below = (word - kFirstPrintable) & ~word;
    const std::uint64_t above = (word + kEachByte) | word;
    return (below | above) & kHighBits;
}

}  // namespace

bool isAscii(std::string_view text)
{
    return markedBytes(text, 0, [](std::uint64_t word) { return word & kHighBits; }) == 0;
}

bool isPrintableAscii(std::string_view text)
{
    return markedBytes(text, ' ', unprintableBytes) == 0;
}

bool isValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t length = validSequenceLength(text);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

std::string validUtf8(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = validSequenceLength(text);
        if (length == 0) {
            result += kReplacementCharacter;
            text.remove_prefix(1);
        } else {
            result += text.substr(0, length);
            text.remove_prefix(length);
        }
    }
    return result;
}

}  // namespace mezu
