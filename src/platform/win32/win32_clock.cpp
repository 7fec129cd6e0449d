// SPDX-License-Identifier: MIT
#include "platform/win32/win32_clock.h"

#include <windows.h>

#include <cstdint>
#include <optional>

namespace mezu::win32 {

namespace {

std::int64_t ticks(const FILETIME& time)  // 100 ns since 1601
{
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

}  // namespace

LocalDateTime Win32Clock::now() const
{
    // The local time made from one reading of the UTC clock, so that the offset is the one in
    // force at that instant, also across a change to or from summer time.
    SYSTEMTIME utc{};
    ::GetSystemTime(&utc);
    SYSTEMTIME local{};
    SYSTEMTIME time{};
    std::optional<int> offset;
    FILETIME utcFile{};
    FILETIME localFile{};
    // Back through FILETIME, which also sets the weekday.
    if (::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) && ::SystemTimeToFileTime(&utc, &utcFile) &&
        ::SystemTimeToFileTime(&local, &localFile) && ::FileTimeToSystemTime(&localFile, &time)) {
        // Both to the millisecond alike, so the difference is whole minutes.
        constexpr std::int64_t kTicksPerMinute = 600'000'000;
        offset = static_cast<int>((ticks(localFile) - ticks(utcFile)) / kTicksPerMinute);
    } else {
        ::GetLocalTime(&time);
    }
    return LocalDateTime{time.wYear, time.wMonth,  time.wDay,    time.wDayOfWeek,
                         time.wHour, time.wMinute, time.wSecond, offset};
}

std::optional<LocalDateTime> Win32Clock::localTime(std::int64_t secondsSinceEpoch) const
{
    constexpr std::int64_t kTicksPerSecond = 10'000'000;
    constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    constexpr std::int64_t kLastSecond = INT64_MAX / kTicksPerSecond - kSecondsFrom1601To1970;
    if (secondsSinceEpoch < -kSecondsFrom1601To1970 || secondsSinceEpoch > kLastSecond) {
        return std::nullopt;
    }
    const auto fileTicks = static_cast<std::uint64_t>((secondsSinceEpoch + kSecondsFrom1601To1970) * kTicksPerSecond);
    const FILETIME utcFile{static_cast<DWORD>(fileTicks & 0xFFFFFFFFU), static_cast<DWORD>(fileTicks >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    FILETIME localFile{};
    SYSTEMTIME time{};
    if (!::FileTimeToSystemTime(&utcFile, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
        !::SystemTimeToFileTime(&local, &localFile) || !::FileTimeToSystemTime(&localFile, &time)) {
        return std::nullopt;
    }
    constexpr std::int64_t kTicksPerMinute = 600'000'000;
    const int offset = static_cast<int>((ticks(localFile) - ticks(utcFile)) / kTicksPerMinute);
    return LocalDateTime{time.wYear, time.wMonth,  time.wDay,    time.wDayOfWeek,
                         time.wHour, time.wMinute, time.wSecond, offset};
}

}  // namespace mezu::win32
