// SPDX-License-Identifier: MIT
// The headless command line `mezu-report`: parses its arguments, drives the main window's
// logic through the same handlers the window uses, and prints the report. The platform and the
// streams come in through ReportEnvironment, so tests run it in-process on fake backends.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "platform/clock.h"
#include "platform/drive_query.h"
#include "platform/file_system.h"
#include "platform/report_file_reader.h"
#include "platform/report_file_writer.h"
#include "platform/text_encoder.h"

namespace mezu {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a directory or output that cannot be used
inline constexpr int kExitUsage = 2;

// One --drive X=DIR option.
struct DriveOption {
    char letter = '\0';  // upper case, C to Z
    std::string root;    // as given
};

struct ReportPlatform {
    std::unique_ptr<FileSystem> fileSystem;
    std::unique_ptr<DriveQuery> driveQuery;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<TextEncoder> encoder;
    std::unique_ptr<ReportFileWriter> fileWriter;
    std::unique_ptr<ReportFileReader> fileReader;  // for compare; without it compare fails
};

// What the command line asks of the platform.
struct PlatformOptions {
    std::vector<DriveOption> drives;  // --drive; the machine's own drives when empty
    unsigned readerThreads = 0;       // --threads; 0 for the platform's default
};

// Builds the platform; a text names what is wrong when it cannot.
using PlatformFactory = std::function<std::variant<ReportPlatform, std::string>(const PlatformOptions&)>;

// The parts of --help that say how the platform behaves, each a whole line or paragraph.
struct PlatformHelp {
    std::string_view entries;       // what DIR may be and which entries are not counted
    std::string_view driveDefault;  // which drives there are without --drive
    std::string_view outputTarget;  // what -o does with links, devices and read-only files
    std::string_view threads;       // what --threads changes
};

// The help of the Linux program.
extern const PlatformHelp kPosixHelp;

struct ReportEnvironment {
    PlatformFactory makePlatform;
    std::ostream& out;
    std::ostream& err;
    bool showProgress = false;  // progress on `err` while a survey runs
    std::string decimalSeparator = ".";
    const PlatformHelp& help = kPosixHelp;
    // When set, a command calls it with its exit status once its report is delivered, and it
    // does not return: the process ends there, without freeing what the command built one
    // block at a time (on a survey of a large tree, a few per cent of its run). Null: the
    // command returns its status as usual.
    void (*endProcess)(int status) = nullptr;
};

// Runs the command line (without the program name) and returns the exit status.
int runMezuReport(const std::vector<std::string>& args, const ReportEnvironment& environment);

}  // namespace mezu
