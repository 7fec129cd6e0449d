// SPDX-License-Identifier: MIT
#include "survey/file_ages.h"

#include "model/calendar.h"

namespace mezu {
namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;
// How many months back each band from UnderOneMonth to TwoToFiveYears reaches.
constexpr std::array<int, 5> kBandMonths = {1, 3, 12, 24, 60};

struct BandNames {
    std::string_view caption;
    std::string_view key;
};
constexpr std::array<BandNames, kAgeBands> kBandNames = {{
    {"1か月未満", "under_1_month"},
    {"1～3か月", "1_to_3_months"},
    {"3～12か月", "3_to_12_months"},
    {"1～2年", "1_to_2_years"},
    {"2～5年", "2_to_5_years"},
    {"5年以上", "5_years_or_more"},
    {"未来の日付", "future"},
    {"日付不明", "unknown"},
}};

}  // namespace

std::string_view ageCaption(AgeBand band)
{
    return kBandNames[static_cast<std::size_t>(band)].caption;
}

std::string_view ageKey(AgeBand band)
{
    return kBandNames[static_cast<std::size_t>(band)].key;
}

std::int64_t secondsSinceEpoch(const LocalDateTime& when)
{
    const std::int64_t days = daysFromCivil({when.year, when.month, when.day});
    return days * kSecondsPerDay + std::int64_t{when.hour} * 3600 + std::int64_t{when.minute} * 60 + when.second -
           std::int64_t{when.utcOffsetMinutes.value_or(0)} * 60;
}

FileAges::FileAges(const LocalDateTime& now)
    : now_(secondsSinceEpoch(now))
{
    for (std::size_t i = 0; i < kBandMonths.size(); ++i) {
        const CivilDate start = monthsBefore({now.year, now.month, now.day}, kBandMonths[i]);
        LocalDateTime then = now;
        then.year = start.year;
        then.month = start.month;
        then.day = start.day;
        bandStarts_[i] = secondsSinceEpoch(then);
    }
    for (std::size_t i = 0; i < kAgeBands; ++i) {
        rows_[i].band = static_cast<AgeBand>(i);
    }
}

AgeBand FileAges::bandOf(std::int64_t modified) const
{
    if (modified == kUnknownTime) {
        return AgeBand::Unknown;
    }
    if (modified > now_) {
        return AgeBand::Future;
    }
    for (std::size_t i = 0; i < bandStarts_.size(); ++i) {
        if (modified >= bandStarts_[i]) {
            return static_cast<AgeBand>(i);
        }
    }
    return AgeBand::Older;
}

void FileAges::file(const File& file)
{
    AgeRow& row = rows_[static_cast<std::size_t>(bandOf(file.figures.modified))];
    row.bytes += file.counted;
    ++row.files;
    bytes_ += file.counted;
    ++files_;
}

std::vector<AgeRow> FileAges::rows() const
{
    std::vector<AgeRow> rows(rows_.begin(), rows_.end());
    if (rows.back().files == 0) {
        rows.pop_back();
    }
    return rows;
}

}  // namespace mezu
