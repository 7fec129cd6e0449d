// SPDX-License-Identifier: MIT
// The files a walk counts, by the age of their last modification on the day of the command:
// bands of calendar months back from the command's local date and time (a file modified exactly
// one month before is still in the first band), a band for dates after it and one for files
// whose date the system does not give.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/file_observer.h"
#include "platform/clock.h"

namespace mezu {

enum class AgeBand {
    UnderOneMonth,
    OneToThreeMonths,
    ThreeToTwelveMonths,
    OneToTwoYears,
    TwoToFiveYears,
    Older,
    Future,
    Unknown,
};
inline constexpr std::size_t kAgeBands = 8;

struct AgeRow {
    AgeBand band = AgeBand::UnderOneMonth;
    ByteTotal bytes = 0;
    std::uint64_t files = 0;
};

// The band's caption in a report ("1か月未満") and its name in CSV and JSON ("under_1_month").
std::string_view ageCaption(AgeBand band);
std::string_view ageKey(AgeBand band);

// Seconds since 1970-01-01 00:00 UTC of a local date and time, at its UTC offset (UTC when it
// has none).
std::int64_t secondsSinceEpoch(const LocalDateTime& when);

class FileAges final : public FileObserver {
public:
    explicit FileAges(const LocalDateTime& now);
    void file(const File& file) override;

    AgeBand bandOf(std::int64_t modified) const;
    // Every band in order; Unknown only when a file is in it.
    std::vector<AgeRow> rows() const;
    ByteTotal bytes() const { return bytes_; }
    std::uint64_t files() const { return files_; }

private:
    std::int64_t now_;
    // The earliest time of each band from UnderOneMonth to TwoToFiveYears.
    std::array<std::int64_t, 5> bandStarts_{};
    std::array<AgeRow, kAgeBands> rows_{};
    ByteTotal bytes_ = 0;
    std::uint64_t files_ = 0;
};

}  // namespace mezu
