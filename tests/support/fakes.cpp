// SPDX-License-Identifier: MIT
#include "fakes.h"

#include "model/utf8_text.h"

namespace mezu::test {

std::string OneByteCodePage::encode(std::string_view utf8) const
{
    constexpr char32_t kLastCharacter = 0xFE;
    const auto inCodePage = [](char32_t c) { return c < 0x80 || (c >= 0xA0 && c <= kLastCharacter); };
    std::string bytes;
    while (!utf8.empty()) {
        const std::size_t length = validSequenceLength(utf8);
        const char32_t c = length == 0 ? kLastCharacter + 1 : decodeSequence(utf8.substr(0, length));
        bytes += inCodePage(c) ? static_cast<char>(c) : '?';
        utf8.remove_prefix(length == 0 ? 1 : length);
    }
    return bytes;
}

std::optional<std::string> OneByteCodePage::decode(std::string_view bytes) const
{
    constexpr unsigned char kNoText = 0xFF;
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == kNoText || (byte >= 0x80 && byte < 0xA0)) {
            return std::nullopt;
        }
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

}  // namespace mezu::test
