// SPDX-License-Identifier: MIT
// The local date and time from the system clock and time zone.
#pragma once

#include "platform/clock.h"

namespace mezu::posix {

class PosixClock final : public Clock {
public:
    LocalDateTime now() const override;
    std::optional<LocalDateTime> localTime(std::int64_t secondsSinceEpoch) const override;
};

}  // namespace mezu::posix
