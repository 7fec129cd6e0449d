// SPDX-License-Identifier: MIT
#include "platform/win32/win32_clock.h"

#include <windows.h>

namespace mezu::win32 {

LocalDateTime Win32Clock::now() const
{
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    return LocalDateTime{time.wYear, time.wMonth, time.wDay, time.wDayOfWeek,
                         time.wHour, time.wMinute, time.wSecond};
}

}  // namespace mezu::win32
