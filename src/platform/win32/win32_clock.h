// SPDX-License-Identifier: MIT
// The local time on Windows (GetLocalTime).
#pragma once

#include "platform/clock.h"

namespace mezu::win32 {

class Win32Clock final : public Clock {
public:
    LocalDateTime now() const override;
    std::optional<LocalDateTime> localTime(std::int64_t secondsSinceEpoch) const override;
};

}  // namespace mezu::win32
