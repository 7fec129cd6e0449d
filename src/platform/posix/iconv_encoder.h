// The Shift_JIS (code page 932) encoder over glibc's iconv.
#pragma once

#include "platform/text_encoder.h"

namespace mezu::posix {

class IconvShiftJisEncoder final : public TextEncoder {
public:
    std::string encode(std::string_view utf8) const override;
    std::optional<std::string> decode(std::string_view codePageText) const override;
};

}  // namespace mezu::posix
