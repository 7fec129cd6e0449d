// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "survey/file_ages.h"
#include "survey/file_kinds.h"
#include "survey/largest_files.h"

namespace mezu {
namespace {

// Files shown to observers as a walk shows them, each in a directory of its own list.
class Files {
public:
    void show(FileObserver& observer, const std::string& directory, std::string_view name, ByteTotal counted,
              std::int64_t modified = kUnknownTime)
    {
        DirectoryList list;
        list.add("C:\\");
        const std::size_t at = directory.empty() ? 0 : list.addChild(0, directory);
        const EntryFigures figures{.length = static_cast<std::uint64_t>(counted) - 1, .modified = modified};
        // The same directory keeps its serial, as in a walk.
        const std::uint64_t serial = serials_.emplace(directory, serials_.size() + 1).first->second;
        observer.file({name, figures, counted, list, at, serial});
    }

private:
    std::map<std::string, std::uint64_t> serials_;
};

TEST(LargestFilesTest, KeepsTheLargestWithTiesInTheOrderOfTheirPaths)
{
    Files files;
    LargestFiles largest{3};
    files.show(largest, "B", "x", 10);
    files.show(largest, "A", "y", 10);
    files.show(largest, "", "small", 1);
    files.show(largest, "A", "big", 50);
    files.show(largest, "A", "x", 10);  // a tie with the last kept, which it ranks before
    for (const char* name : {"w", "z", "x0"}) {
        files.show(largest, "A", name, 10);
    }
    files.show(largest, "B", "a", 10);
    files.show(largest, "AB", "a", 10);
    const std::vector<ListedFile> kept = largest.largestFirst();
    std::vector<std::string> paths;
    for (const ListedFile& file : kept) {
        paths.push_back(file.path);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\A\\big", "C:\\AB\\a", "C:\\A\\w"}))
        << "ties in the order of the whole paths' texts, where 'B' comes before '\\'";
    EXPECT_EQ(kept[0].directory(), "C:\\A");
    EXPECT_EQ(kept[0].name(), "big");
    EXPECT_EQ(kept[0].length, 49u);
    EXPECT_EQ(largest.examined(), 10u);
    EXPECT_EQ(largest.examinedBytes(), ByteTotal{131});

    LargestFiles none{0};
    files.show(none, "", "root", 7);
    EXPECT_TRUE(none.largestFirst().empty());
    LargestFiles inRoot{1};
    files.show(inRoot, "", "root", 7);
    EXPECT_EQ(inRoot.largestFirst().at(0).directory(), "C:\\");
}

TEST(FileKindsTest, FoldsCaseKeepsNamesWithoutExtensionApartAndSumsTheRest)
{
    struct Case {
        std::string_view name;
        std::string_view kind;
    };
    for (const Case& c : {Case{"a.JPG", "jpg"}, Case{"b.jpg", "jpg"}, Case{"archive.tar.GZ", "gz"}, Case{"README", ""},
                          Case{".profile", ""}, Case{"trailing.", ""}, Case{"写真.ＪＰＧ", "ＪＰＧ"}}) {
        EXPECT_EQ(fileKind(c.name), c.kind) << c.name;
    }

    Files files;
    FileKinds kinds;
    files.show(kinds, "", "a.JPG", 30);
    files.show(kinds, "X", "b.jpg", 30);
    files.show(kinds, "", "README", 50);
    files.show(kinds, "", "c.txt", 5);
    files.show(kinds, "", "d.log", 5);
    const KindTable table = kinds.table(2);
    ASSERT_EQ(table.largest.size(), 2u);
    EXPECT_EQ(table.largest[0].kind, "jpg");
    EXPECT_EQ(table.largest[0].files, 2u);
    EXPECT_EQ(table.largest[1].kind, "") << "no extension is a kind of its own";
    EXPECT_EQ(table.rest.bytes, ByteTotal{10});
    EXPECT_EQ(table.restKinds, 2u);
    EXPECT_EQ(table.bytes, ByteTotal{120});
    EXPECT_FALSE(table.untoldKinds);
}

TEST(FileKindsTest, KindsPastTheBoundCountInTheRest)
{
    Files files;
    FileKinds kinds;
    for (std::size_t i = 0; i <= FileKinds::kKindsTold; ++i) {
        files.show(kinds, "", "log." + std::to_string(i), 2);
    }
    files.show(kinds, "", "again.0", 2);
    const KindTable table = kinds.table();
    EXPECT_TRUE(table.untoldKinds);
    EXPECT_EQ(table.files, FileKinds::kKindsTold + 2);
    EXPECT_EQ(table.largest.at(0).kind, "0") << "a kind told apart still counts its later files";
    EXPECT_EQ(table.largest.at(0).files, 2u);
    ByteTotal shown = table.rest.bytes;
    for (const KindRow& row : table.largest) {
        shown += row.bytes;
    }
    EXPECT_EQ(shown, table.bytes);
}

TEST(FileAgesTest, BandsFollowTheCalendarBackFromTheCommand)
{
    // 2026-03-31 12:00:00 at +09:00, which is 03:00 UTC.
    const LocalDateTime now{2026, 3, 31, 2, 12, 0, 0, 540};
    constexpr std::int64_t kNow = 1774926000;  // date -d '2026-03-31T12:00:00+09:00' +%s
    constexpr std::int64_t kDay = 86400;
    FileAges ages{now};
    struct Case {
        std::int64_t modified;
        AgeBand band;
    };
    // One month before 31 March is 28 February, 31 days earlier.
    for (const Case& c :
         {Case{kNow + 1, AgeBand::Future}, Case{kNow, AgeBand::UnderOneMonth},
          Case{kNow - 31 * kDay, AgeBand::UnderOneMonth}, Case{kNow - 31 * kDay - 1, AgeBand::OneToThreeMonths},
          Case{kNow - 100 * kDay, AgeBand::ThreeToTwelveMonths}, Case{kNow - 365 * kDay, AgeBand::ThreeToTwelveMonths},
          Case{kNow - 366 * kDay, AgeBand::OneToTwoYears}, Case{kNow - 3 * 365 * kDay, AgeBand::TwoToFiveYears},
          Case{kNow - 6 * 365 * kDay, AgeBand::Older}, Case{0, AgeBand::Older}, Case{kUnknownTime, AgeBand::Unknown}}) {
        EXPECT_EQ(ages.bandOf(c.modified), c.band) << c.modified;
    }
    EXPECT_EQ(secondsSinceEpoch(now), kNow);

    Files files;
    files.show(ages, "", "new", 4, kNow);
    files.show(ages, "", "later", 6, kNow + kDay);
    const std::vector<AgeRow> rows = ages.rows();
    ASSERT_EQ(rows.size(), kAgeBands - 1) << "no row for unknown dates when there are none";
    EXPECT_EQ(rows[static_cast<std::size_t>(AgeBand::UnderOneMonth)].bytes, ByteTotal{4});
    EXPECT_EQ(rows[static_cast<std::size_t>(AgeBand::Future)].files, 1u);
    EXPECT_EQ(ages.bytes(), ByteTotal{10});
}

}  // namespace
}  // namespace mezu
