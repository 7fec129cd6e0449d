// SPDX-License-Identifier: MIT
// Converts the core's UTF-8 texts to the report file's code page (Shift_JIS, code page 932)
// and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mezu {

class TextEncoder {
public:
    virtual ~TextEncoder() = default;
    // The text in the code page. A character the code page cannot represent, and a byte that
    // is not valid UTF-8, becomes "?"; nothing is dropped silently.
    virtual std::string encode(std::string_view utf8) const = 0;
    // The code page's bytes as UTF-8; nullopt when they are not valid text in the code page.
    // decode(encode(text)) is the text as a saved report gives it back.
    virtual std::optional<std::string> decode(std::string_view codePageText) const = 0;
};

}  // namespace mezu
