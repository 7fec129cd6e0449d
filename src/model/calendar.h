// SPDX-License-Identifier: MIT
// Dates of the proleptic Gregorian calendar as day numbers, for reckoning with the dates of files
// without a time zone library: day 0 is 1970-01-01. Valid for any year an int holds.
#pragma once

#include <cstdint>

namespace mezu {

struct CivilDate {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    bool operator==(const CivilDate&) const = default;
};

// The number of the day: negative before 1970.
constexpr std::int64_t daysFromCivil(CivilDate date)
{
    // Years from March, so that the leap day ends a year (H. Hinnant's algorithm).
    const std::int64_t year = static_cast<std::int64_t>(date.year) - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t monthFromMarch = (date.month + 9) % 12;
    const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr CivilDate civilFromDays(std::int64_t days)
{
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const auto day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const auto month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const auto year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

// Day 0 was a Thursday: 0 = Sunday .. 6 = Saturday.
constexpr int weekdayOfDays(std::int64_t days)
{
    return static_cast<int>(days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6);
}

// The date `months` calendar months before `date`, on the same day of the month or the last day
// of a shorter month (one month before 31 March is 28 or 29 February).
constexpr CivilDate monthsBefore(CivilDate date, int months)
{
    const int total = date.year * 12 + (date.month - 1) - months;
    const int year = total >= 0 ? total / 12 : (total - 11) / 12;
    const int month = total - year * 12 + 1;
    const CivilDate first{year, month, 1};
    const CivilDate next = month == 12 ? CivilDate{year + 1, 1, 1} : CivilDate{year, month + 1, 1};
    const auto length = static_cast<int>(daysFromCivil(next) - daysFromCivil(first));
    return {year, month, date.day < length ? date.day : length};
}

}  // namespace mezu
