// SPDX-License-Identifier: MIT
// Shift_JIS through the system's code page 932 (WideCharToMultiByte). No best-fit mapping: a
// character without its own code becomes "?", as the interface asks.
#pragma once

#include "platform/text_encoder.h"

namespace mezu::win32 {

class Win32ShiftJisEncoder final : public TextEncoder {
public:
    std::string encode(std::string_view utf8) const override;
    std::optional<std::string> decode(std::string_view codePageText) const override;
};

}  // namespace mezu::win32
