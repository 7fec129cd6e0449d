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

}  // namespace

ExportedReport exportedReport(std::string command, const mezucom& module, const FileSystem& fileSystem,
                              const LocalDateTime& when)
{
    ExportedReport report{std::move(command), when, module.sizeMode(), {}, {}};
    const bool survey = report.command == "survey";
    const std::vector<TreeMeasurement>& measured = module.measurements();
    const double whole = measured.empty() ? 0.0 : static_cast<double>(measured.front().bytes);
    for (const TreeMeasurement& tree : measured) {
        if (!tree.complete) {
            continue;
        }
        std::optional<double> share;
        if (survey) {
            share = whole > 0 ? std::min(1.0, static_cast<double>(tree.bytes) / whole) : 0.0;
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
    std::string document;
    if (report.command == "drives") {
        document += std::string{kDriveColumns} + std::string{kCsvLineEnd};
        for (const ExportedDrive& drive : report.drives) {
            const DriveFigures& f = drive.figures;
            document += driveName(drive.letter) + "," + std::to_string(f.totalMegabytes) + "," +
                        std::to_string(f.freeMegabytes) + "," + std::to_string(f.bytesPerSector) + "," +
                        std::to_string(f.sectorsPerCluster) + "," + std::to_string(f.bytesPerCluster) +
                        std::string{kCsvLineEnd};
        }
        return document;
    }
    document += std::string{kDirectoryColumns} + std::string{kCsvLineEnd};
    for (const ExportedDirectory& directory : report.directories) {
        document += csvField(directory.drivePath) + "," + csvField(directory.hostPath.value_or("")) + "," +
                    decimalText(directory.bytes) + "," + std::to_string(directory.files) + "," +
                    std::to_string(directory.directories) + "," +
                    (directory.share ? shareText(*directory.share) : std::string{}) + "," +
                    std::to_string(directory.depth) + "," + std::string{boolText(directory.readError)} +
                    std::string{kCsvLineEnd};
    }
    return document;
}

std::string jsonDocument(const ExportedReport& report)
{
    std::string document = "{\n  \"command\": " + jsonString(report.command) +
                           ",\n  \"date\": " + jsonString(isoDateTime(report.when)) +
                           ",\n  \"size\": " + jsonString(sizeModeName(report.sizeMode)) + ",\n  \"drives\": [";
    for (std::size_t i = 0; i < report.drives.size(); ++i) {
        const DriveFigures& f = report.drives[i].figures;
        document += std::string{i == 0 ? "\n" : ",\n"} +
                    "    {\"drive\": " + jsonString(driveName(report.drives[i].letter)) +
                    ", \"total_mb\": " + std::to_string(f.totalMegabytes) +
                    ", \"free_mb\": " + std::to_string(f.freeMegabytes) +
                    ", \"bytes_per_sector\": " + std::to_string(f.bytesPerSector) +
                    ", \"sectors_per_cluster\": " + std::to_string(f.sectorsPerCluster) +
                    ", \"bytes_per_cluster\": " + std::to_string(f.bytesPerCluster) + "}";
    }
    document += std::string{report.drives.empty() ? "" : "\n  "} + "],\n  \"directories\": [";
    for (std::size_t i = 0; i < report.directories.size(); ++i) {
        const ExportedDirectory& d = report.directories[i];
        document += std::string{i == 0 ? "\n" : ",\n"} + "    {\"drive_path\": " + jsonString(d.drivePath) +
                    ", \"host_path\": " + (d.hostPath ? jsonString(*d.hostPath) : std::string{"null"}) +
                    ", \"bytes\": " + decimalText(d.bytes) + ", \"files\": " + std::to_string(d.files) +
                    ", \"directories\": " + std::to_string(d.directories) +
                    ", \"share\": " + (d.share ? shareText(*d.share) : std::string{"null"}) +
                    ", \"depth\": " + std::to_string(d.depth) +
                    ", \"read_error\": " + std::string{boolText(d.readError)} + "}";
    }
    document += std::string{report.directories.empty() ? "" : "\n  "} + "]\n}\n";
    return document;
}

}  // namespace mezu
