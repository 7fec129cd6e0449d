// SPDX-License-Identifier: MIT
// The local date and time: for the report header's date line, and the dates of files.
#pragma once

#include <cstdint>
#include <optional>

namespace mezu {

struct LocalDateTime {
    int year = 0;
    int month = 0;    // 1..12
    int day = 0;      // 1..31
    int weekday = 0;  // 0 = Sunday .. 6 = Saturday
    int hour = 0;     // 0..23
    int minute = 0;
    int second = 0;
    std::optional<int> utcOffsetMinutes = std::nullopt;  // east of UTC (+540 in Japan); none where unknown
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    // The local date and time of an instant given in seconds since 1970-01-01 00:00 UTC, with
    // the offset in force then; nullopt for one the system cannot show.
    virtual std::optional<LocalDateTime> localTime(std::int64_t secondsSinceEpoch) const = 0;
};

}  // namespace mezu
