// SPDX-License-Identifier: MIT
// The machine-readable forms of a report, for scripts: CSV (RFC 4180, a header row, CR LF) and
// JSON (one document). Both are UTF-8, whatever bytes the names
// hold: a byte that is no part of valid UTF-8 becomes U+FFFD. Byte figures are exact decimal
// integers, beyond 64 bits too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/mezucom.h"
#include "model/byte_total.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "report/drive_lines.h"
#include "survey/file_report_survey.h"

namespace mezu {

// One directory line of the report.
struct ExportedDirectory {
    std::string drivePath;
    std::optional<std::string> hostPath;  // where the system can say
    ByteTotal bytes = 0;
    std::uint64_t files = 0;
    std::uint64_t directories = 0;
    std::optional<double> share;  // of the whole surveyed tree, from 0 to 1; survey only
    // 0 for the surveyed tree itself, 1 for a directory right below it (or, in all-drives,
    // right below its drive's root): a tree's figures include its subdirectories', so only
    // the records of one depth add up to anything.
    unsigned depth = 1;
    bool readError = false;  // a directory of the tree could not be read, in full or at all
};

struct ExportedDrive {
    char letter = '\0';
    DriveFigures figures;
};

// One of the largest files.
struct ExportedFile {
    std::size_t rank = 0;  // 1 for the largest
    std::string drivePath;
    std::optional<std::string> hostPath;
    ByteTotal bytes = 0;  // as the survey counts it
    std::uint64_t length = 0;
    std::optional<LocalDateTime> modified;  // where the system can say
    std::string directory;                  // drive path of its folder
};

// One row of the kinds (its kind, "" for names without an extension) or of the ages (its band's
// key, "under_1_month").
struct ExportedGroup {
    std::string name;
    bool rest = false;  // the kinds not shown on rows of their own, together
    ByteTotal bytes = 0;
    std::uint64_t files = 0;
    double share = 0;  // of every file examined, from 0 to 1
};

struct ExportedReport {
    std::string command;  // "survey", "drives", "all-drives", "largest", "kinds" or "ages"
    LocalDateTime when;
    SizeMode sizeMode = SizeMode::Clusters;
    LinkCounting linkCounting = LinkCounting::EveryLink;
    std::vector<ExportedDrive> drives;
    // Of a report of files, the surveyed directory alone.
    std::vector<ExportedDirectory> directories;
    std::vector<ExportedFile> files;    // largest
    std::vector<ExportedGroup> groups;  // kinds, ages
};

// The export of the command the module has just run ("survey", "drives" or "all-drives"):
// its measured trees, largest first within each drive, with their host paths; the survey's
// shares of the first tree measured (the surveyed one, depth 0); for each, whether a directory
// in it could not be read; the figures of the drives it covers.
ExportedReport exportedReport(std::string command, const mezucom& module, const FileSystem& fileSystem,
                              const LocalDateTime& when);

// The export of a report of files the module has just made ("largest", "kinds" or "ages"): the
// surveyed directory as a survey's tree, its drive, and the report's rows; `clock` dates the files.
ExportedReport exportedFileReport(std::string command, const FileFindings& findings, const mezucom& module,
                                  const FileSystem& fileSystem, const Clock& clock, const LocalDateTime& when);

// "2026-12-07T15:23:19+09:00": the local date and time with its offset from UTC ("+00:00" for
// none); without one where the clock cannot say.
std::string isoDateTime(const LocalDateTime& when);

// The directories, one record each after a header row; the drives command's records are its
// drives, a report of files' its files or rows.
std::string csvDocument(const ExportedReport& report);
std::string jsonDocument(const ExportedReport& report);

// A CSV field: quoted, with quotes doubled, when it holds a comma, quote, CR or LF.
std::string csvField(std::string_view text);
// A JSON string literal, quotes included: control characters escaped.
std::string jsonString(std::string_view text);

}  // namespace mezu
