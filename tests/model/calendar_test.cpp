// SPDX-License-Identifier: MIT
#include "model/calendar.h"

#include <gtest/gtest.h>

namespace mezu {
namespace {

TEST(CalendarTest, DayNumbersOfKnownDates)
{
    // Day numbers as `date -u -d DATE +%s` / 86400 gives them.
    struct Case {
        CivilDate date;
        std::int64_t days;
        int weekday;
    };
    for (const Case& c :
         {Case{{1970, 1, 1}, 0, 4}, Case{{1969, 12, 31}, -1, 3}, Case{{1998, 10, 23}, 10522, 5},
          Case{{2000, 2, 29}, 11016, 2}, Case{{2000, 3, 1}, 11017, 3}, Case{{1601, 1, 1}, -134774, 1},
          Case{{1900, 3, 1}, -25508, 4}, Case{{2038, 1, 19}, 24855, 2}, Case{{9999, 12, 31}, 2932896, 5}}) {
        EXPECT_EQ(daysFromCivil(c.date), c.days) << c.date.year << "-" << c.date.month << "-" << c.date.day;
        EXPECT_EQ(civilFromDays(c.days), c.date) << c.days;
        EXPECT_EQ(weekdayOfDays(c.days), c.weekday) << c.days;
    }
}

TEST(CalendarTest, MonthsBeforeKeepTheDayOrTakeTheLastOfAShorterMonth)
{
    struct Case {
        CivilDate from;
        int months;
        CivilDate expected;
    };
    for (const Case& c : {Case{{2026, 12, 8}, 1, {2026, 11, 8}}, Case{{2026, 1, 15}, 1, {2025, 12, 15}},
                          Case{{2026, 3, 31}, 1, {2026, 2, 28}}, Case{{2024, 3, 31}, 1, {2024, 2, 29}},
                          Case{{2026, 5, 31}, 3, {2026, 2, 28}}, Case{{2024, 2, 29}, 12, {2023, 2, 28}},
                          Case{{2026, 12, 8}, 60, {2021, 12, 8}}, Case{{1, 1, 1}, 1, {0, 12, 1}}}) {
        EXPECT_EQ(monthsBefore(c.from, c.months), c.expected)
            << c.from.year << "-" << c.from.month << " - " << c.months;
    }
}

}  // namespace
}  // namespace mezu
