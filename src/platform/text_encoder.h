// Converts the core's UTF-8 texts to the report file's code page (Shift_JIS, code page 932).
#pragma once

#include <string>
#include <string_view>

namespace mezu {

class TextEncoder {
public:
    virtual ~TextEncoder() = default;
    // The text in the code page. A character the code page cannot represent, and a byte that
    // is not valid UTF-8, becomes "?"; nothing is dropped silently.
    virtual std::string encode(std::string_view utf8) const = 0;
};

}  // namespace mezu
