// SPDX-License-Identifier: MIT
#include "platform/win32/win32_text_encoder.h"

#include <windows.h>

#include <climits>

#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

constexpr UINT kShiftJisCodePage = 932;

}  // namespace

std::string Win32ShiftJisEncoder::encode(std::string_view utf8) const
{
    // Bytes that are not UTF-8 become U+FFFD here, which code page 932 does not have.
    const std::wstring wide = toWide(utf8);
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    // Wine reads a second byte for a double-byte code page: the terminating zero ends it.
    const char* defaultChar = "?";
    const int needed = ::WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0,
                                             defaultChar, nullptr);
    std::string encoded(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) {
        ::WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, encoded.data(), needed,
                              defaultChar, nullptr);
    }
    return encoded;
}

std::optional<std::string> Win32ShiftJisEncoder::decode(std::string_view codePageText) const
{
    if (codePageText.empty()) {
        return std::string{};
    }
    if (codePageText.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::nullopt;
    }
    const int size = static_cast<int>(codePageText.size());
    const int needed =
        ::MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, codePageText.data(), size, nullptr, 0);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, codePageText.data(), size, wide.data(), needed);
    return toUtf8(wide);
}

}  // namespace mezu::win32
