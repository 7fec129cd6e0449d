// SPDX-License-Identifier: MIT
#include "platform/posix/posix_clock.h"

#include <ctime>

namespace mezu::posix {

LocalDateTime PosixClock::now() const
{
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    LocalDateTime when;
    when.year = local.tm_year + 1900;
    when.month = local.tm_mon + 1;
    when.day = local.tm_mday;
    when.weekday = local.tm_wday;
    when.hour = local.tm_hour;
    when.minute = local.tm_min;
    when.second = local.tm_sec;
    when.utcOffsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
    return when;
}

}  // namespace mezu::posix
