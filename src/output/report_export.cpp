// SPDX-License-Identifier: MIT
#include "output/report_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

#include "model/utf8_text.h"

namespace mezu {
namespace {

constexpr std::string_view kCsvLineEnd = "\r\n";
constexpr std::string_view kDirectoryColumns = "drive_path,host_path,bytes,files,directories,share,depth,read_error";
constexpr std::string_view kDriveColumns =
    "drive,total_mb,free_mb,bytes_per_sector,sectors_per_cluster,bytes_per_cluster";
constexpr std::string_view kFileColumns = "rank,drive_path,host_path,bytes,length,modified,directory";
constexpr std::string_view kKindColumns = "kind,rest,bytes,files,share";
constexpr std::string_view kAgeColumns = "age,bytes,files,share";
// Enough digits that a share tells apart any two trees a report can show.
constexpr std::size_t kShareDigits = 6;

std::string twoDigits(int value)
{
    std::array<char, 8> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%02d", value);
    return buffer.data();
}

// Built from digits, not printf, so that the user's locale never makes the point a comma.
std::string shareText(double share)
{
    constexpr long long kScale = 1'000'000;
    const long long scaled = std::llround(std::clamp(share, 0.0, 1.0) * kScale);
    std::string fraction = std::to_string(scaled % kScale);
    fraction.insert(0, kShareDigits - fraction.size(), '0');
    return std::to_string(scaled / kScale) + "." + fraction;
}

std::string driveName(char letter)
{
    return std::string{letter} + ":";
}

// Whether `path` is the drive path `tree` or lies below it.
bool isWithin(const std::string& path, const std::string& tree)
{
    if (path.compare(0, tree.size(), tree) != 0) {
        return false;
    }
    return path.size() == tree.size() || tree.back() == '\\' || path[tree.size()] == '\\';
}

std::string_view boolText(bool value)
{
    return value ? "true" : "false";
}

std::string_view sizeModeName(SizeMode mode)
{
    return mode == SizeMode::Allocated ? "allocated" : "clusters";
}

std::string_view linkCountingName(LinkCounting counting)
{
    return counting == LinkCounting::Once ? "once" : "every";
}

// Whether the command's report covers one surveyed tree, whose share of itself is whole.
bool surveysOneTree(std::string_view command)
{
    return command == "survey" || command == "largest" || command == "kinds" || command == "ages";
}

double shareOf(ByteTotal part, ByteTotal whole)
{
    return whole > 0 ? std::min(1.0, static_cast<double>(part) / static_cast<double>(whole)) : 0.0;
}

std::string jsonOptional(const std::optional<std::string>& text)
{
    return text ? jsonString(*text) : std::string{"null"};
}

std::string csvDirectory(const ExportedDirectory& directory)
{
    return csvField(directory.drivePath) + "," + csvField(directory.hostPath.value_or("")) + "," +
           decimalText(directory.bytes) + "," + std::to_string(directory.files) + "," +
           std::to_string(directory.directories) + "," +
           (directory.share ? shareText(*directory.share) : std::string{}) + "," + std::to_string(directory.depth) +
           "," + std::string{boolText(directory.readError)};
}

std::string jsonDirectory(const ExportedDirectory& d)
{
    return "{\"drive_path\": " + jsonString(d.drivePath) + ", \"host_path\": " + jsonOptional(d.hostPath) +
           ", \"bytes\": " + decimalText(d.bytes) + ", \"files\": " + std::to_string(d.files) +
           ", \"directories\": " + std::to_string(d.directories) +
           ", \"share\": " + (d.share ? shareText(*d.share) : std::string{"null"}) +
           ", \"depth\": " + std::to_string(d.depth) + ", \"read_error\": " + std::string{boolText(d.readError)} + "}";
}

std::string csvFile(const ExportedFile& file)
{
    return std::to_string(file.rank) + "," + csvField(file.drivePath) + "," + csvField(file.hostPath.value_or("")) +
           "," + decimalText(file.bytes) + "," + std::to_string(file.length) + "," +
           (file.modified ? isoDateTime(*file.modified) : std::string{}) + "," + csvField(file.directory);
}

std::string jsonFile(const ExportedFile& file)
{
    return "{\"rank\": " + std::to_string(file.rank) + ", \"drive_path\": " + jsonString(file.drivePath) +
           ", \"host_path\": " + jsonOptional(file.hostPath) + ", \"bytes\": " + decimalText(file.bytes) +
           ", \"length\": " + std::to_string(file.length) +
           ", \"modified\": " + (file.modified ? jsonString(isoDateTime(*file.modified)) : std::string{"null"}) +
           ", \"directory\": " + jsonString(file.directory) + "}";
}

// A kind's row names its kind; an age's its band, and is never the rest.
std::string csvGroup(const ExportedGroup& group, bool kinds)
{
    std::string row = csvField(group.name) + ",";
    if (kinds) {
        row += std::string{boolText(group.rest)} + ",";
    }
    return row + decimalText(group.bytes) + "," + std::to_string(group.files) + "," + shareText(group.share);
}

std::string jsonGroup(const ExportedGroup& group, bool kinds)
{
    // The rest is no kind: its name is null, so that it never reads as the kind of names
    // without an extension.
    std::string row = kinds ? "{\"kind\": " + (group.rest ? std::string{"null"} : jsonString(group.name)) +
                                  ", \"rest\": " + std::string{boolText(group.rest)}
                            : "{\"age\": " + jsonString(group.name);
    return row + ", \"bytes\": " + decimalText(group.bytes) + ", \"files\": " + std::to_string(group.files) +
           ", \"share\": " + shareText(group.share) + "}";
}

// A JSON member holding an array of one record per line, indented as the rest of the document.
template <typename Item, typename Format>
std::string jsonArray(std::string_view name, const std::vector<Item>& items, Format format)
{
    std::string member = ",\n  " + jsonString(name) + ": [";
    for (std::size_t i = 0; i < items.size(); ++i) {
        member += std::string{i == 0 ? "\n" : ",\n"} + "    " + format(items[i]);
    }
    return member + (items.empty() ? "" : "\n  ") + "]";
}

template <typename Item, typename Format>
std::string csvRecords(std::string_view columns, const std::vector<Item>& items, Format format)
{
    std::string document = std::string{columns} + std::string{kCsvLineEnd};
    for (const Item& item : items) {
        document += format(item) + std::string{kCsvLineEnd};
    }
    return document;
}

}  // namespace

ExportedReport exportedReport(std::string command, const mezucom& module, const FileSystem& fileSystem,
                              const LocalDateTime& when)
{
    ExportedReport report{std::move(command), when, module.sizeMode(), module.linkCounting(), {}, {}, {}, {}};
    const bool survey = surveysOneTree(report.command);
    const std::vector<TreeMeasurement>& measured = module.measurements();
    for (const TreeMeasurement& tree : measured) {
        if (!tree.complete) {
            continue;
        }
        std::optional<double> share;
        if (survey) {
            share = shareOf(tree.bytes, measured.front().bytes);
        }
        const unsigned depth = survey && &tree == &measured.front() ? 0 : 1;
        const std::vector<SkippedDirectory>& skipped = module.skippedDirectories();
        const bool readError = std::any_of(skipped.begin(), skipped.end(),
                                           [&tree](const SkippedDirectory& s) { return isWithin(s.path, tree.path); });
        report.directories.push_back({tree.path, fileSystem.hostPath(tree.path), tree.bytes, tree.files,
                                      tree.directories, share, depth, readError});
    }
    std::stable_sort(report.directories.begin(), report.directories.end(),
                     [](const ExportedDirectory& a, const ExportedDirectory& b) {
                         if (a.drivePath.front() != b.drivePath.front()) {
                             return a.drivePath.front() < b.drivePath.front();
                         }
                         return a.bytes > b.bytes;
                     });
    for (const auto& [letter, figures] : module.queriedDrives()) {
        if (!survey || (!measured.empty() && measured.front().path.front() == letter)) {
            report.drives.push_back({letter, figures});
        }
    }
    return report;
}

ExportedReport exportedFileReport(std::string command, const FileFindings& findings, const mezucom& module,
                                  const FileSystem& fileSystem, const Clock& clock, const LocalDateTime& when)
{
    ExportedReport report = exportedReport(std::move(command), module, fileSystem, when);
    report.files.reserve(findings.files.size());
    for (const ListedFile& file : findings.files) {
        report.files.push_back(
            {report.files.size() + 1, file.path, fileSystem.hostPath(file.path), file.counted, file.length,
             file.modified == kUnknownTime ? std::nullopt : clock.localTime(file.modified), file.directory()});
    }
    if (findings.report == FileReport::Kinds) {
        for (const KindRow& row : findings.kinds.largest) {
            report.groups.push_back({row.kind, false, row.bytes, row.files, shareOf(row.bytes, findings.bytes)});
        }
        const KindRow& rest = findings.kinds.rest;
        if (rest.files != 0) {
            report.groups.push_back({{}, true, rest.bytes, rest.files, shareOf(rest.bytes, findings.bytes)});
        }
    } else if (findings.report == FileReport::Ages) {
        for (const AgeRow& row : findings.ages) {
            report.groups.push_back(
                {std::string{ageKey(row.band)}, false, row.bytes, row.files, shareOf(row.bytes, findings.bytes)});
        }
    }
    return report;
}

std::string isoDateTime(const LocalDateTime& when)
{
    std::array<char, 8> year{};
    std::snprintf(year.data(), year.size(), "%04d", when.year);
    std::string text = std::string{year.data()} + "-" + twoDigits(when.month) + "-" + twoDigits(when.day) + "T" +
                       twoDigits(when.hour) + ":" + twoDigits(when.minute) + ":" + twoDigits(when.second);
    if (when.utcOffsetMinutes) {
        const int offset = *when.utcOffsetMinutes;
        const int minutes = offset < 0 ? -offset : offset;
        text += (offset < 0 ? "-" : "+") + twoDigits(minutes / 60) + ":" + twoDigits(minutes % 60);
    }
    return text;
}

std::string csvField(std::string_view text)
{
    std::string valid = validUtf8(text);
    if (valid.find_first_of(",\"\r\n") == std::string::npos) {
        return valid;
    }
    std::string quoted = "\"";
    for (const char c : valid) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string jsonString(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : validUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\b':
                quoted += "\\b";
                break;
            case '\f':
                quoted += "\\f";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    std::array<char, 8> escape{};
                    std::snprintf(escape.data(), escape.size(), "\\u%04x", byte);
                    quoted += escape.data();
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + "\"";
}

std::string csvDocument(const ExportedReport& report)
{
    if (report.command == "drives") {
        return csvRecords(kDriveColumns, report.drives, [](const ExportedDrive& drive) {
            const DriveFigures& f = drive.figures;
            return driveName(drive.letter) + "," + std::to_string(f.totalMegabytes) + "," +
                   std::to_string(f.freeMegabytes) + "," + std::to_string(f.bytesPerSector) + "," +
                   std::to_string(f.sectorsPerCluster) + "," + std::to_string(f.bytesPerCluster);
        });
    }
    if (report.command == "largest") {
        return csvRecords(kFileColumns, report.files, csvFile);
    }
    if (report.command == "kinds" || report.command == "ages") {
        const bool kinds = report.command == "kinds";
        return csvRecords(kinds ? kKindColumns : kAgeColumns, report.groups,
                          [kinds](const ExportedGroup& group) { return csvGroup(group, kinds); });
    }
    return csvRecords(kDirectoryColumns, report.directories, csvDirectory);
}

std::string jsonDocument(const ExportedReport& report)
{
    std::string document = "{\n  \"command\": " + jsonString(report.command) +
                           ",\n  \"date\": " + jsonString(isoDateTime(report.when)) +
                           ",\n  \"size\": " + jsonString(sizeModeName(report.sizeMode)) +
                           ",\n  \"hard_links\": " + jsonString(linkCountingName(report.linkCounting));
    document += jsonArray("drives", report.drives, [](const ExportedDrive& drive) {
        const DriveFigures& f = drive.figures;
        return "{\"drive\": " + jsonString(driveName(drive.letter)) +
               ", \"total_mb\": " + std::to_string(f.totalMegabytes) +
               ", \"free_mb\": " + std::to_string(f.freeMegabytes) +
               ", \"bytes_per_sector\": " + std::to_string(f.bytesPerSector) +
               ", \"sectors_per_cluster\": " + std::to_string(f.sectorsPerCluster) +
               ", \"bytes_per_cluster\": " + std::to_string(f.bytesPerCluster) + "}";
    });
    const bool kinds = report.command == "kinds";
    if (report.command == "largest" || kinds || report.command == "ages") {
        // The surveyed tree: what every file examined counts together, and whether all was read.
        document += ",\n  \"directory\": " +
                    (report.directories.empty() ? std::string{"null"} : jsonDirectory(report.directories.front()));
        if (report.command == "largest") {
            document += jsonArray("files", report.files, jsonFile);
        } else {
            document += jsonArray(kinds ? "kinds" : "ages", report.groups,
                                  [kinds](const ExportedGroup& group) { return jsonGroup(group, kinds); });
        }
    } else {
        document += jsonArray("directories", report.directories, jsonDirectory);
    }
    return document + "\n}\n";
}

}  // namespace mezu
