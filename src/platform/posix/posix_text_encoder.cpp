// SPDX-License-Identifier: MIT
#include "platform/posix/posix_text_encoder.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace mezu::posix {
namespace {

constexpr const char* kCodePage = "CP932";
constexpr const char* kSourceEncoding = "UTF-8";
constexpr char kReplacement = '?';
// iconv_open says it failed with (iconv_t)-1.
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
constexpr std::size_t kConversionFailed = static_cast<std::size_t>(-1);

// The length of the UTF-8 sequence that starts with `lead`, 1 for a byte that starts none.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

}  // namespace

IconvShiftJisEncoder::IconvShiftJisEncoder()
    : toCodePage_(::iconv_open(kCodePage, kSourceEncoding)),
      fromCodePage_(::iconv_open(kSourceEncoding, kCodePage))
{
}

IconvShiftJisEncoder::~IconvShiftJisEncoder()
{
    for (const iconv_t converter : {toCodePage_, fromCodePage_}) {
        if (converter != kNoConverter) {
            ::iconv_close(converter);
        }
    }
}

iconv_t IconvShiftJisEncoder::converter(iconv_t& kept, const char* to, const char* from) const
{
    if (kept == kNoConverter) {
        kept = ::iconv_open(to, from);
        if (kept == kNoConverter) {
            throw std::bad_alloc{};
        }
    }
    return kept;
}

std::string IconvShiftJisEncoder::encode(std::string_view utf8) const
{
    const iconv_t converter = this->converter(toCodePage_, kCodePage, kSourceEncoding);
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::string encoded;
    std::string buffer(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = ::iconv(converter, &in, &inLeft, &out, &outLeft);
        encoded.append(buffer.data(), buffer.size() - outLeft);
        if (result != kConversionFailed) {
            break;
        }
        if (errno == E2BIG) {
            continue;
        }
        // A character with no Shift_JIS form, or bytes that are not UTF-8: one "?" for the
        // character (or the lone byte), then go on after it.
        std::size_t skip = std::min(sequenceLength(static_cast<unsigned char>(*in)), inLeft);
        if (errno == EINVAL || errno == EILSEQ) {
            for (std::size_t i = 1; i < skip; ++i) {
                const auto next = static_cast<unsigned char>(in[i]);
                if ((next & 0xC0) != 0x80) {
                    skip = i;
                    break;
                }
            }
        }
        encoded += kReplacement;
        in += skip;
        inLeft -= skip;
        ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    return encoded;
}

std::optional<std::string> IconvShiftJisEncoder::decode(std::string_view codePageText) const
{
    const iconv_t converter = this->converter(fromCodePage_, kSourceEncoding, kCodePage);
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    // Every Shift_JIS character becomes at most three UTF-8 bytes.
    constexpr std::size_t kGrowth = 3;
    std::string text(codePageText.size() * kGrowth + 16, '\0');
    char* in = const_cast<char*>(codePageText.data());
    std::size_t inLeft = codePageText.size();
    char* out = text.data();
    std::size_t outLeft = text.size();
    const bool converted = ::iconv(converter, &in, &inLeft, &out, &outLeft) != kConversionFailed &&
                           ::iconv(converter, nullptr, nullptr, &out, &outLeft) != kConversionFailed;
    if (!converted) {
        return std::nullopt;
    }
    text.resize(text.size() - outLeft);
    return text;
}

}  // namespace mezu::posix
