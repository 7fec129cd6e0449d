// SPDX-License-Identifier: MIT
// The CSV and JSON exports: quoting, escaping, figures beyond 64 bits, and the records a
// survey's module leaves.
#include "output/report_export.h"

#include <gtest/gtest.h>

#include <map>

#include "fake_file_system.h"
#include "fakes.h"
#include "ui/mezumain.h"

namespace mezu {
namespace {

TEST(ReportExportTest, FieldsAreQuotedAndEscapedAsEachFormatNeeds)
{
    struct Case {
        std::string text;
        std::string csv;
        std::string json;
    };
    const Case cases[] = {
        {"C:\\DATA", "C:\\DATA", "\"C:\\\\DATA\""},
        {"", "", "\"\""},
        {"a,b", "\"a,b\"", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \\\"hi\\\"\""},
        {"line\nbreak", "\"line\nbreak\"", "\"line\\nbreak\""},
        {"cr\rhere", "\"cr\rhere\"", "\"cr\\rhere\""},
        {"t\tb\bf\f", "t\tb\bf\f", "\"t\\tb\\bf\\f\""},
        {std::string{"nul\0x", 5}, std::string{"nul\0x", 5}, "\"nul\\u0000x\""},
        {"\x01\x1f\x7f", "\x01\x1f\x7f", "\"\\u0001\\u001f\\u007f\""},
        {"日本語", "日本語", "\"日本語\""},
        {"bad\xFFname", "bad\xEF\xBF\xBDname", "\"bad\xEF\xBF\xBDname\""},
        // Overlong, surrogate and valid four-byte sequences.
        {"\xC0\xAF \xED\xA0\x80 \xF0\x9F\x98\x80",
         "\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xF0\x9F\x98\x80",
         "\"\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xF0\x9F\x98\x80\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(csvField(c.text), c.csv) << c.text;
        EXPECT_EQ(jsonString(c.text), c.json) << c.text;
    }
}

TEST(ReportExportTest, FiguresBeyond64BitsAreWrittenExactly)
{
    const ByteTotal huge = (ByteTotal{1} << 64) * 3 + 7;
    ExportedReport report{"survey",
                          test::FixedClock{}.now(),
                          SizeMode::Clusters,
                          LinkCounting::EveryLink,
                          {},
                          {{"C:\\a,b", std::string{"/srv/a,b"}, huge, 2, 1, 1.0}},
                          {},
                          {}};
    const std::string csv = csvDocument(report);
    EXPECT_EQ(csv, "drive_path,host_path,bytes,files,directories,share,depth,read_error\r\n\"C:\\a,b\",\"/srv/a,b\"," +
                       decimalText(huge) + ",2,1,1.000000,1,false\r\n");
    const std::string json = jsonDocument(report);
    EXPECT_NE(json.find("\"bytes\": " + decimalText(huge) + ","), std::string::npos) << json;
    EXPECT_NE(json.find("\"date\": \"" + isoDateTime(report.when) + "\""), std::string::npos) << json;
    EXPECT_EQ(decimalText(huge).size(), 20u) << "more digits than any 64-bit figure has";
}

TEST(ReportExportTest, RowsOfFilesTellTheRestFromNamesWithoutAnExtension)
{
    const LocalDateTime when = test::FixedClock{}.now();
    const ByteTotal huge = (ByteTotal{1} << 70) + 1;
    ExportedReport kinds{"kinds",
                         when,
                         SizeMode::Clusters,
                         LinkCounting::Once,
                         {},
                         {},
                         {},
                         {{"jpg", false, huge, 3, 0.5}, {"", false, 4096, 1, 0.25}, {"", true, 8192, 9, 0.25}}};
    EXPECT_EQ(csvDocument(kinds), "kind,rest,bytes,files,share\r\njpg,false," + decimalText(huge) +
                                      ",3,0.500000\r\n,false,4096,1,0.250000\r\n,true,8192,9,0.250000\r\n");
    const std::string json = jsonDocument(kinds);
    for (const std::string row : {"{\"kind\": \"\", \"rest\": false, \"bytes\": 4096,",
                                  "{\"kind\": null, \"rest\": true, \"bytes\": 8192,", "\"hard_links\": \"once\""}) {
        EXPECT_NE(json.find(row), std::string::npos) << row << '\n' << json;
    }

    ExportedReport largest{"largest", when, SizeMode::Allocated, LinkCounting::EveryLink, {}, {}, {}, {}};
    largest.files = {{1, "C:\\a,b", std::string{"/srv/a,b"}, 8192, 5000, when, "C:\\"},
                     {2, "C:\\x\\old", std::nullopt, 4096, 1, std::nullopt, "C:\\x"}};
    EXPECT_EQ(csvDocument(largest),
              "rank,drive_path,host_path,bytes,length,modified,directory\r\n1,\"C:\\a,b\",\"/srv/a,b\","
              "8192,5000," +
                  isoDateTime(when) + ",C:\\\r\n2,C:\\x\\old,,4096,1,,C:\\x\r\n");
    EXPECT_NE(jsonDocument(largest).find("\"host_path\": null, \"bytes\": 4096, \"length\": 1, \"modified\": null"),
              std::string::npos)
        << jsonDocument(largest);
}

TEST(ReportExportTest, DatesAreIso8601)
{
    const struct {
        LocalDateTime when;
        std::string_view iso;
    } cases[] = {
        {{1998, 10, 23, 5, 14, 5, 9, std::nullopt}, "1998-10-23T14:05:09"},
        {{2026, 1, 2, 5, 0, 0, 0, 540}, "2026-01-02T00:00:00+09:00"},
        {{2026, 1, 2, 5, 0, 0, 0, 0}, "2026-01-02T00:00:00+00:00"},
        {{2026, 7, 1, 3, 23, 59, 59, -210}, "2026-07-01T23:59:59-03:30"},
        {{2026, 7, 1, 3, 12, 0, 0, 345}, "2026-07-01T12:00:00+05:45"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isoDateTime(c.when), c.iso);
    }
}

TEST(ReportExportTest, ASurveyExportsEachTreeWithItsCountsShareAndDrive)
{
    test::FakeFileSystem fs{{'C', 'D'}};
    test::FakeDriveQuery drives;
    drives.set('C', test::driveWithCluster(4096));
    drives.set('D', test::driveWithCluster(32768));
    test::RecordingWindowSystem windowSystem;
    test::FixedClock clock;
    mezumain window{{fs, drives, windowSystem, clock}};
    fs.addFile("C:\\DATA\\top", 1);
    fs.addFile("C:\\DATA\\BIG\\a", 10000);
    fs.addFile("C:\\DATA\\BIG\\DEEP\\b", 1);
    fs.addDirectory("C:\\DATA\\EMPTY");
    window.Form_Load();
    ASSERT_TRUE(window.openDirectory("C:\\DATA"));
    window.Command1_Click();

    const ExportedReport report = exportedReport("survey", window.module(), fs, clock.now());
    ASSERT_EQ(report.directories.size(), 3u);
    const ExportedDirectory& whole = report.directories[0];
    const ExportedDirectory& big = report.directories[1];
    const ExportedDirectory& empty = report.directories[2];
    EXPECT_EQ(whole.drivePath, "C:\\DATA");
    EXPECT_EQ(big.drivePath, "C:\\DATA\\BIG");
    EXPECT_EQ(empty.drivePath, "C:\\DATA\\EMPTY");
    EXPECT_EQ(whole.bytes, window.module().measurements().front().bytes);
    EXPECT_EQ(whole.bytes, ByteTotal{4096 + 12288 + 4096}) << "1, 10000 and 1 bytes in whole clusters";
    EXPECT_EQ(whole.files, 3u);
    EXPECT_EQ(whole.directories, 4u);
    EXPECT_EQ(big.files, 2u);
    EXPECT_EQ(big.directories, 2u);
    EXPECT_EQ(empty.files, 0u);
    EXPECT_EQ(empty.directories, 1u);
    EXPECT_EQ(whole.share, 1.0);
    EXPECT_EQ(big.share, static_cast<double>(big.bytes) / static_cast<double>(whole.bytes));
    EXPECT_EQ(empty.share, 0.0);
    EXPECT_EQ((std::vector<unsigned>{whole.depth, big.depth, empty.depth}), (std::vector<unsigned>{0, 1, 1}));
    EXPECT_FALSE(whole.readError || big.readError || empty.readError);
    EXPECT_FALSE(whole.hostPath.has_value()) << "the fake has no host paths";
    ASSERT_EQ(report.drives.size(), 1u);
    EXPECT_EQ(report.drives[0].letter, 'C');
    EXPECT_EQ(report.drives[0].figures.bytesPerCluster, 4096u);

    window.Command3_Click();
    const ExportedReport driveReport = exportedReport("drives", window.module(), fs, clock.now());
    ASSERT_EQ(driveReport.drives.size(), 2u);
    EXPECT_EQ(driveReport.drives[1].figures.bytesPerCluster, 32768u);
    const std::string csv = csvDocument(driveReport);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "drive,total_mb,free_mb,bytes_per_sector,sectors_per_cluster,bytes_per_cluster");
    EXPECT_NE(csv.find("\r\nD:,"), std::string::npos) << csv;
}

TEST(ReportExportTest, ARecordSaysWhetherItsTreeWasReadWhole)
{
    test::FakeFileSystem fs;
    test::FakeDriveQuery drives;
    drives.set('C', test::driveWithCluster(4096));
    test::RecordingWindowSystem windowSystem;
    test::FixedClock clock;
    mezumain window{{fs, drives, windowSystem, clock}};
    fs.addFile("C:\\DATA\\A\\f", 1);
    fs.addDirectory("C:\\DATA\\A\\DEEP\\CLOSED").cannotOpen = true;
    fs.addFile("C:\\DATA\\AB\\f", 1);  // a name that begins like A's, not below it
    fs.addDirectory("C:\\DATA\\B").enumerationFails = true;
    window.Form_Load();
    ASSERT_TRUE(window.openDirectory("C:\\DATA"));
    window.Command1_Click();

    std::map<std::string, bool> readError;
    for (const ExportedDirectory& d : exportedReport("survey", window.module(), fs, clock.now()).directories) {
        readError[d.drivePath] = d.readError;
    }
    EXPECT_EQ(readError,
              (std::map<std::string, bool>{
                  {"C:\\DATA", true}, {"C:\\DATA\\A", true}, {"C:\\DATA\\AB", false}, {"C:\\DATA\\B", true}}));
}

}  // namespace
}  // namespace mezu
