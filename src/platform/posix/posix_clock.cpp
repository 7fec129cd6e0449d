// SPDX-License-Identifier: MIT
#include "platform/posix/posix_clock.h"

#include <ctime>

namespace mezu::posix {

namespace {

LocalDateTime fromTm(const std::tm& local)
{
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

}  // namespace

LocalDateTime PosixClock::now() const
{
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return fromTm(local);
}

std::optional<LocalDateTime> PosixClock::localTime(std::int64_t secondsSinceEpoch) const
{
    const auto seconds = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    if (static_cast<std::int64_t>(seconds) != secondsSinceEpoch || ::localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
    return fromTm(local);
}

}  // namespace mezu::posix
