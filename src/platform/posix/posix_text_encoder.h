// SPDX-License-Identifier: MIT
// The Shift_JIS (code page 932) encoder over glibc's iconv. Its two converters are opened when it
// is made and kept, so that a save needs no memory for them. glibc always has the code page: a
// converter that cannot be opened means the process has no room to load its module, which is
// std::bad_alloc, never a report turned into "?" from end to end. One thread uses an encoder at
// a time.
#pragma once

#include <iconv.h>

#include "platform/text_encoder.h"

namespace mezu::posix {

class IconvShiftJisEncoder final : public TextEncoder {
public:
    IconvShiftJisEncoder();
    ~IconvShiftJisEncoder() override;
    IconvShiftJisEncoder(const IconvShiftJisEncoder&) = delete;
    IconvShiftJisEncoder& operator=(const IconvShiftJisEncoder&) = delete;

    std::string encode(std::string_view utf8) const override;
    std::optional<std::string> decode(std::string_view codePageText) const override;

private:
    // Opened again when they could not be at first.
    iconv_t converter(iconv_t& kept, const char* to, const char* from) const;

    mutable iconv_t toCodePage_;
    mutable iconv_t fromCodePage_;
};

}  // namespace mezu::posix
