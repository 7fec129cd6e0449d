// SPDX-License-Identifier: MIT
// The system's clock as the dates of files use it: the local date and time of an instant, with
// the offset it is shown with, give back that instant, in winter and summer time alike.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "model/calendar.h"
#ifdef _WIN32
#include "platform/win32/win32_clock.h"
#else
#include "platform/posix/posix_clock.h"
#endif

namespace mezu {
namespace {

#ifdef _WIN32
using SystemClock = win32::Win32Clock;
#else
using SystemClock = posix::PosixClock;

// A zone with summer time, named by its rule so that no zone database is needed; the zone the
// tests were started in comes back afterwards.
class SummerTimeZone {
public:
    SummerTimeZone()
    {
        if (const char* zone = std::getenv("TZ")) {
            saved_ = zone;
        }
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    ~SummerTimeZone()
    {
        if (saved_) {
            ::setenv("TZ", saved_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    SummerTimeZone(const SummerTimeZone&) = delete;
    SummerTimeZone& operator=(const SummerTimeZone&) = delete;

private:
    std::optional<std::string> saved_;
};
#endif

TEST(SystemClockTest, ALocalTimeAndItsOffsetGiveBackTheInstant)
{
#ifndef _WIN32
    const SummerTimeZone zone;
#endif
    const SystemClock clock;
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    const std::vector<std::int64_t> instants = {
        0,
        -1,             // before 1970
        981'173'106,    // 2001-02-03 04:05:06 UTC, winter
        1'000'000'000,  // 2001-09-09 01:46:40 UTC, summer
        4'102'444'800,  // 2100, beyond 32-bit seconds
        now,
        now + 182 * 86'400,  // the other half of the year
    };
    for (const std::int64_t instant : instants) {
        const std::optional<LocalDateTime> local = clock.localTime(instant);
        ASSERT_TRUE(local.has_value()) << instant;
        ASSERT_TRUE(local->utcOffsetMinutes.has_value()) << instant;
        const std::int64_t days = daysFromCivil({local->year, local->month, local->day});
        const std::int64_t localSeconds = days * 86'400 + local->hour * 3'600 + local->minute * 60 + local->second;
        EXPECT_EQ(localSeconds - std::int64_t{*local->utcOffsetMinutes} * 60, instant) << instant;
        EXPECT_EQ(local->weekday, weekdayOfDays(days)) << instant;
    }
#ifndef _WIN32
    EXPECT_EQ(clock.localTime(981'173'106)->utcOffsetMinutes, 60);
    EXPECT_EQ(clock.localTime(1'000'000'000)->utcOffsetMinutes, 120);
#endif
}

}  // namespace
}  // namespace mezu
