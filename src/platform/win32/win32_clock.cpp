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

}  // namespace mezu::win32
