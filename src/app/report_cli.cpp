// SPDX-License-Identifier: MIT
#include "app/report_cli.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>
#include <variant>

#include "app/licence_text.h"
#include "app/progress_window_system.h"
#include "model/drive_path.h"
#include "model/path_text.h"
#include "output/report_export.h"
#include "output/report_output.h"
#include "report/report_header.h"
#include "survey/file_report_survey.h"
#include "survey/report_compare.h"
#include "survey/saved_report.h"
#include "ui/mezumain.h"

namespace mezu {
namespace {

constexpr std::string_view kProgramName = "mezu-report";
constexpr std::string_view kStandardOutputName = "-";  // as FILE of -o

constexpr std::string_view kUsageCommands =
    "Usage: mezu-report [--drive X=DIR]... [-o FILE] survey [DIR]\n"
    "       mezu-report [--drive X=DIR]... [-o FILE] drives\n"
    "       mezu-report [--drive X=DIR]... [-o FILE] all-drives\n"
    "       mezu-report [--drive X=DIR]... [-o FILE] compare OLD NEW\n"
    "       mezu-report [--drive X=DIR]... [-o FILE] compare OLD survey [DIR]\n"
    "       mezu-report [--drive X=DIR]... [-o FILE] largest [DIR] [-n N]\n"
    "       mezu-report [--drive X=DIR]... [-o FILE] kinds [DIR]\n"
    "       mezu-report [--drive X=DIR]... [-o FILE] ages [DIR]\n"
    "\n"
    "survey      how much disk space DIR (default: the working directory) and each\n"
    "            of its immediate subdirectories occupy, counting every file in\n"
    "            whole clusters of its drive (or as allocated, with --size\n"
    "            allocated), largest first\n"
    "drives      the space and geometry of every drive from C: to Z:\n"
    "all-drives  the top-level directories of every drive, drive by drive, largest\n"
    "            first\n"
    "compare     each directory of the saved survey report OLD against the report\n"
    "            NEW, or against a survey of DIR made now: the change, the\n"
    "            directory, its size before and after, largest growth first;\n"
    "            \"なし\" (nashi, none) where one lacks it\n"
    "largest     the N largest files below DIR (default: 100), largest first, each\n"
    "            with what it counts, its date, its length and its path\n"
    "kinds       the bytes, number and share of the files below DIR by extension\n"
    "            (case folded), the 50 largest kinds and one row for the rest\n"
    "ages        the same by the age of their last modification: under a month,\n"
    "            1-3 and 3-12 months, 1-2, 2-5 and 5 years or more, in the future\n"
    "\n"
    "The report is printed in UTF-8.\n"
    "\n";

constexpr std::string_view kUsageDrive =
    "Options:\n"
    "  --drive X=DIR  make DIR the root of drive X: (C to Z), repeatable.\n";

constexpr std::string_view kUsageOutput =
    "  -o, --output FILE\n"
    "                 save the report to FILE as the window's save command does\n"
    "                 (Shift_JIS, CR LF; csv and json as printed) instead of\n";

constexpr std::string_view kUsageFormats =
    "  -n, --count N  how many files largest lists, from 1 to 1000000 (default: 100)\n"
    "  --size MODE    what each file counts in a survey: clusters (the default),\n"
    "                 its length in whole clusters of its drive, or allocated, the\n"
    "                 space the file system reports as allocated to it (less for a\n"
    "                 sparse or compressed file); the title of an allocated survey\n"
    "                 ends in \"（実割当）\" (jitsu-wariate, allocated)\n"
    "  --hard-links MODE\n"
    "                 every (the default): a file with several names (hard links)\n"
    "                 counts at each; once: at the first name the walk meets, as du\n"
    "                 counts; the title then ends in \"（ハードリンク1回）\"\n"
    "  --format FORMAT\n"
    "                 text (the default), or csv or json: one record per directory\n"
    "                 line of survey or all-drives (drive path, host path, bytes,\n"
    "                 files and directories counted, survey share, depth, read\n"
    "                 error), one per drive of drives, one per file of largest,\n"
    "                 per row of kinds and ages; in UTF-8, with -o too; not for\n"
    "                 compare\n"
    "  -q, --quiet    show no progress; without it, progress goes to standard error\n"
    "                 while a survey runs, when that is a terminal that can redraw\n"
    "                 a line\n";

constexpr std::string_view kUsageEnd =
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Exit status: 0 on success, 1 when DIR or a drive cannot be used or a\n"
    "directory below it could not be read (each is named on standard error), 2 on\n"
    "a usage error.\n";

std::string usageText(const PlatformHelp& help)
{
    std::string text;
    for (std::string_view part : {kUsageCommands, help.entries, std::string_view{"\n"}, kUsageDrive, help.driveDefault,
                                  kUsageOutput, help.outputTarget, kUsageFormats, help.threads, kUsageEnd}) {
        text += part;
    }
    return text;
}

constexpr unsigned kMostThreads = 64;
// Enough for any report a person reads, and a bound on what the largest files keep in memory.
constexpr std::size_t kMostLargestFiles = 1'000'000;

enum class ReportFormat { Text, Csv, Json };

// The words an option takes, each with what it chooses.
template <typename Value, std::size_t Count>
using Choices = std::array<std::pair<std::string_view, Value>, Count>;
constexpr Choices<SizeMode, 2> kSizeModes = {{{"clusters", SizeMode::Clusters}, {"allocated", SizeMode::Allocated}}};
constexpr Choices<ReportFormat, 3> kFormats = {
    {{"text", ReportFormat::Text}, {"csv", ReportFormat::Csv}, {"json", ReportFormat::Json}}};
constexpr Choices<LinkCounting, 2> kLinkCountings = {
    {{"every", LinkCounting::EveryLink}, {"once", LinkCounting::Once}}};
// The commands that report the files below a directory, with the report each makes.
constexpr Choices<FileReport, 3> kFileReports = {
    {{"largest", FileReport::Largest}, {"kinds", FileReport::Kinds}, {"ages", FileReport::Ages}}};

std::optional<FileReport> fileReportOf(std::string_view command)
{
    for (const auto& [name, report] : kFileReports) {
        if (command == name) {
            return report;
        }
    }
    return std::nullopt;
}

// Whether the command surveys one directory, the working directory unless one is given.
bool surveysDirectory(std::string_view command)
{
    return command == "survey" || fileReportOf(command);
}

// Sets `value` to the choice `word` names; false, with a usage error naming every choice, when
// it names none.
template <typename Value, std::size_t Count>
bool choose(const std::string& word, const Choices<Value, Count>& choices, Value& value, std::string_view option,
            std::string& error)
{
    for (const auto& [name, choice] : choices) {
        if (word == name) {
            value = choice;
            return true;
        }
    }
    error = std::string{option} + " takes";
    for (std::size_t i = 0; i < Count; ++i) {
        error += i == 0 ? " " : i + 1 == Count ? " or " : ", ";
        error += choices[i].first;
    }
    error += ", not '" + word + "'";
    return false;
}

struct Options {
    PlatformOptions platform;
    SizeMode sizeMode = SizeMode::Clusters;
    LinkCounting linkCounting = LinkCounting::EveryLink;
    ReportFormat format = ReportFormat::Text;
    std::optional<std::size_t> largestCount;  // -n
    std::optional<std::string> outputFile;
    bool quiet = false;  // --quiet: no progress whatever standard error is
    std::string command;
    std::vector<std::string> operands;
};

struct ParseResult {
    std::optional<Options> options;
    std::string error;  // a usage error, when options is empty and no early exit was asked
    bool help = false;
    bool version = false;
};

std::optional<DriveOption> parseDriveOption(const std::string& spec)
{
    if (spec.size() < 3 || spec[1] != '=') {
        return std::nullopt;
    }
    const char letter = asciiUpper(spec[0]);
    if (letter < 'C' || letter > 'Z') {
        return std::nullopt;
    }
    return DriveOption{letter, spec.substr(2)};
}

// Whether `arg` is the long option `name`, alone or as "name=VALUE".
bool isOption(std::string_view arg, std::string_view name)
{
    return arg.starts_with(name) && (arg.size() == name.size() || arg[name.size()] == '=');
}

// The value of the option `name` at args[i], given after "=" or as the next argument (which
// `i` then moves to); empty when there is none.
std::string optionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name)
{
    if (args[i].size() > name.size()) {
        return args[i].substr(name.size() + 1);
    }
    return i + 1 < args.size() ? args[++i] : std::string{};
}

// Each adds what its option gives to `options`, or says what is wrong with it.
std::string addDriveOption(const std::vector<std::string>& args, std::size_t& i, Options& options)
{
    const std::string& arg = args[i];
    std::string spec;
    if (arg == "--drive") {
        if (i + 1 >= args.size()) {
            return "--drive needs X=DIR";
        }
        spec = args[++i];
    } else {
        spec = arg.substr(std::string_view{"--drive="}.size());
    }
    const std::optional<DriveOption> drive = parseDriveOption(spec);
    if (!drive) {
        return "--drive takes X=DIR with a drive letter from C to Z, not '" + spec + "'";
    }
    for (const DriveOption& given : options.platform.drives) {
        if (given.letter == drive->letter) {
            return std::string{"--drive gives drive "} + drive->letter + ": twice";
        }
    }
    options.platform.drives.push_back(*drive);
    return {};
}

std::string setThreads(const std::string& count, Options& options)
{
    const bool digits =
        !count.empty() && count.size() <= 3 && count.find_first_not_of("0123456789") == std::string::npos;
    const unsigned threads = digits ? static_cast<unsigned>(std::stoul(count)) : 0;
    if (threads < 1 || threads > kMostThreads) {
        return "--threads takes a number from 1 to " + std::to_string(kMostThreads);
    }
    options.platform.readerThreads = threads;
    return {};
}

std::string setLargestCount(const std::string& count, std::string_view option, Options& options)
{
    const std::string limit = std::to_string(kMostLargestFiles);
    const bool digits =
        !count.empty() && count.size() <= limit.size() && count.find_first_not_of("0123456789") == std::string::npos;
    const std::size_t files = digits ? std::stoul(count) : 0;
    if (files < 1 || files > kMostLargestFiles) {
        return std::string{option} + " takes a number of files from 1 to " + limit + ", not '" + count + "'";
    }
    options.largestCount = files;
    return {};
}

std::string setOutputFile(const std::vector<std::string>& args, std::size_t& i, Options& options)
{
    const std::string& arg = args[i];
    if (options.outputFile) {
        return "the report can be saved to one file only";
    }
    if (arg.rfind("--output=", 0) == 0) {
        options.outputFile = arg.substr(std::string_view{"--output="}.size());
    } else if (i + 1 < args.size()) {
        options.outputFile = args[++i];
    }
    if (!options.outputFile || options.outputFile->empty()) {
        return arg + " needs a file name";
    }
    return {};
}

// What is wrong with the command and its operands, if anything.
std::string commandError(const Options& options)
{
    if (options.command.empty()) {
        return "no command given";
    }
    if (options.largestCount && options.command != "largest") {
        return "-n is for largest only, not " + options.command;
    }
    const std::vector<std::string>& operands = options.operands;
    if (options.command == "compare") {
        const bool againstSurvey = operands.size() >= 2 && operands[1] == "survey";
        if (operands.size() < 2 || (!againstSurvey && operands.size() > 2) || operands.size() > 3) {
            return "compare takes OLD NEW, or OLD survey [DIR]";
        }
        return options.format != ReportFormat::Text ? "compare prints text only" : "";
    }
    if (options.command != "drives" && options.command != "all-drives" && !surveysDirectory(options.command)) {
        return "unknown command '" + options.command + "'";
    }
    if (surveysDirectory(options.command) && operands.size() > 1) {
        return options.command + " takes one directory at most";
    }
    if (!surveysDirectory(options.command) && !operands.empty()) {
        return options.command + " takes no directory";
    }
    return {};
}

ParseResult parseArguments(const std::vector<std::string>& args)
{
    ParseResult result;
    Options options;
    bool onlyOperands = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyOperands || arg.empty() || arg[0] != '-' || arg == "-") {
            if (options.command.empty()) {
                options.command = arg;
            } else {
                options.operands.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            onlyOperands = true;
        } else if (arg == "-h" || arg == "--help") {
            result.help = true;
            return result;
        } else if (arg == "--version") {
            result.version = true;
            return result;
        } else if (arg == "--drive" || arg.rfind("--drive=", 0) == 0) {
            if (result.error = addDriveOption(args, i, options); !result.error.empty()) {
                return result;
            }
        } else if (isOption(arg, "--size")) {
            if (!choose(optionValue(args, i, "--size"), kSizeModes, options.sizeMode, "--size", result.error)) {
                return result;
            }
        } else if (isOption(arg, "--hard-links")) {
            if (!choose(optionValue(args, i, "--hard-links"), kLinkCountings, options.linkCounting, "--hard-links",
                        result.error)) {
                return result;
            }
        } else if (arg == "-n" || isOption(arg, "--count")) {
            const std::string name = arg == "-n" ? "-n" : "--count";
            if (result.error = setLargestCount(optionValue(args, i, name), name, options); !result.error.empty()) {
                return result;
            }
        } else if (isOption(arg, "--format")) {
            if (!choose(optionValue(args, i, "--format"), kFormats, options.format, "--format", result.error)) {
                return result;
            }
        } else if (isOption(arg, "--threads")) {
            if (result.error = setThreads(optionValue(args, i, "--threads"), options); !result.error.empty()) {
                return result;
            }
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "-o" || arg == "--output" || arg.rfind("--output=", 0) == 0) {
            if (result.error = setOutputFile(args, i, options); !result.error.empty()) {
                return result;
            }
        } else {
            result.error = "unknown option '" + arg + "'";
            return result;
        }
    }
    if (result.error = commandError(options); result.error.empty()) {
        result.options = std::move(options);
    }
    return result;
}

// "mezu-report: standard output: No space left on device": a failed write to standard output
// with the reason the system gave for it, which errno holds when the stream gives up.
void reportOutputError(const ReportEnvironment& environment, int error)
{
    environment.err << kProgramName << ": standard output: " << (error != 0 ? std::strerror(error) : "write error")
                    << '\n';
}

bool writeReport(const WindowLists& lists, std::ostream& out)
{
    // Gathered into blocks: the stream's insertion of each line and of its end cost as much as
    // the survey's sort of them.
    constexpr std::size_t kBlockBytes = std::size_t{64} * 1024;
    std::string block;
    block.reserve(kBlockBytes);
    const auto writeBlock = [&] {
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        block.clear();
    };
    forEachReportLine(lists, [&](const std::string& line) {
        if (block.size() + line.size() >= kBlockBytes && !block.empty()) {
            writeBlock();
        }
        block += line;
        block += '\n';
    });
    writeBlock();
    out.flush();
    return static_cast<bool>(out);
}

// Sends the report (or, when given, its export in UTF-8) to the output file or standard
// output; returns the exit status.
int deliverReport(const WindowLists& lists, const std::optional<std::string>& exported, const Options& options,
                  ReportPlatform& platform, const ReportEnvironment& environment)
{
    if (options.outputFile) {
        // "-o -" saves to standard output: the same bytes as a file, where the stream stands.
        const bool toStandardOutput = *options.outputFile == kStandardOutputName;
        std::string error;
        const auto save = [&](const std::string& bytes) {
            return toStandardOutput ? platform.fileWriter->writeStandardOutput(bytes, error)
                                    : platform.fileWriter->replaceFile(*options.outputFile, bytes, error);
        };
        if (!(exported ? save(*exported) : save(reportFileBytes(lists, *platform.encoder)))) {
            environment.err << kProgramName << ": "
                            << (toStandardOutput ? std::string_view{"standard output"} : *options.outputFile) << ": "
                            << error << '\n';
            return kExitFailure;
        }
        return kExitSuccess;
    }
    errno = 0;
    if (exported) {
        environment.out << *exported;
        environment.out.flush();
    }
    if (exported ? !environment.out : !writeReport(lists, environment.out)) {
        reportOutputError(environment, errno);
        return kExitFailure;
    }
    return kExitSuccess;
}

// Makes the report of a survey, drives or all-drives command in `report`, with the
// directories it could not read in `skipped`; returns an exit status instead when it cannot
// be made.
std::optional<int> makeReport(const Options& options, ReportPlatform& platform, const ReportEnvironment& environment,
                              WindowLists& report, std::vector<SkippedDirectory>& skipped,
                              std::string* exported = nullptr, std::vector<TreeMeasurement>* measured = nullptr)
{
    FileSystem& fileSystem = *platform.fileSystem;
    if (surveysDirectory(options.command)) {
        // The survey starts where the window would after start-up in DIR.
        const std::string requested = options.operands.empty() ? "." : options.operands.front();
        const ResolvedDirectory directory = fileSystem.resolveDirectory(requested);
        if (!directory.error.empty()) {
            environment.err << kProgramName << ": " << displayPath(requested) << ": " << directory.error << '\n';
            return kExitFailure;
        }
        if (!fileSystem.changeDrive(directory.drivePath.front()) || !fileSystem.changeDirectory(directory.drivePath)) {
            const std::string reason = fileSystem.lastError();
            environment.err << kProgramName << ": " << displayPath(requested) << ": cannot be opened"
                            << (reason.empty() ? std::string{} : ": " + reason) << '\n';
            return kExitFailure;
        }
    }

    // When the process ends with the report, both are left to its end: the window's
    // measurements are as many as the report's lines.
    auto ownedWindowSystem =
        std::make_unique<ProgressWindowSystem>(environment.showProgress && !options.quiet ? &environment.err : nullptr);
    ProgressWindowSystem& windowSystem = *ownedWindowSystem;
    auto ownedWindow = std::make_unique<mezumain>(mezumain::Services{fileSystem, *platform.driveQuery, windowSystem,
                                                                     *platform.clock, environment.decimalSeparator});
    mezumain& window = *ownedWindow;
    if (environment.endProcess != nullptr) {
        static_cast<void>(ownedWindowSystem.release());
        static_cast<void>(ownedWindow.release());
    }
    windowSystem.watch(window.lists());
    window.Form_Load();
    window.setSizeMode(options.sizeMode);
    window.setLinkCounting(options.linkCounting);
    const std::optional<FileReport> fileReport = fileReportOf(options.command);
    if (fileReport) {
        window.surveyFiles(*fileReport, options.largestCount.value_or(LargestFiles::kDefaultCount));
    } else if (options.command == "survey") {
        window.Command1_Click();
    } else if (options.command == "drives") {
        window.Command3_Click();
    } else {
        window.Command2_Click();
    }
    windowSystem.finish();
    // Taken over rather than copied: the window's lists are not needed after the command.
    report = std::move(window.lists());
    skipped = window.unreadableDirectories();
    if (measured != nullptr) {
        *measured = window.module().measurements();
    }
    if (exported != nullptr) {
        const ExportedReport records =
            fileReport ? exportedFileReport(options.command, window.fileFindings(), window.module(), fileSystem,
                                            *platform.clock, platform.clock->now())
                       : exportedReport(options.command, window.module(), fileSystem, platform.clock->now());
        *exported = options.format == ReportFormat::Csv ? csvDocument(records) : jsonDocument(records);
    }
    return std::nullopt;
}

// Delivers the report, then names every directory left out, so that a report is never taken
// for complete when it is not, with the path of this system where it differs, ready to paste
// into a shell; returns the exit status.
int deliverWithSkipped(const WindowLists& report, const std::vector<SkippedDirectory>& skipped, const Options& options,
                       ReportPlatform& platform, const ReportEnvironment& environment,
                       const std::optional<std::string>& exported = std::nullopt)
{
    const int delivered = deliverReport(report, exported, options, platform, environment);
    for (const SkippedDirectory& directory : skipped) {
        const std::optional<std::string> host = platform.fileSystem->hostPath(directory.path);
        environment.err << kProgramName << ": " << displayPath(directory.path)
                        << (host && *host != directory.path ? " (" + displayPath(*host) + ")" : std::string{}) << ": "
                        << directory.reason << '\n';
    }
    return delivered == kExitSuccess && !skipped.empty() ? kExitFailure : delivered;
}

int runCommand(const Options& options, ReportPlatform& platform, const ReportEnvironment& environment)
{
    WindowLists report;
    std::vector<SkippedDirectory> skipped;
    std::optional<std::string> exported;
    if (options.format != ReportFormat::Text) {
        exported.emplace();
    }
    if (const std::optional<int> failed =
            makeReport(options, platform, environment, report, skipped, exported ? &*exported : nullptr)) {
        return *failed;
    }
    const int status = deliverWithSkipped(report, skipped, options, platform, environment, exported);
    if (environment.endProcess != nullptr) {
        environment.endProcess(status);
    }
    return status;
}

// A saved report read for a comparison.
struct SavedReport {
    ComparedSurvey survey;
    ReportEncoding encoding = ReportEncoding::Utf8;
};

// The saved survey report at `path`, or an exit status when it cannot be read (1) or is no whole
// survey report (2).
std::variant<SavedReport, int> readSavedReport(const std::string& path, ReportPlatform& platform,
                                               const ReportEnvironment& environment)
{
    std::string error = "cannot read files here";
    const std::optional<std::string> bytes =
        platform.fileReader != nullptr ? platform.fileReader->readReportBytes(path, error) : std::nullopt;
    if (!bytes) {
        environment.err << kProgramName << ": " << displayPath(path) << ": " << error << '\n';
        return kExitFailure;
    }
    const DecodedReport decoded = decodeReportFile(*bytes, *platform.encoder);
    SavedSurvey survey = decoded.error.empty() ? readSavedSurvey(decoded.text) : SavedSurvey{};
    if (!decoded.error.empty() || !survey.error.empty()) {
        environment.err << kProgramName << ": " << displayPath(path) << ": not a whole survey report; "
                        << (decoded.error.empty() ? survey.error : decoded.error) << '\n';
        return kExitUsage;
    }
    return SavedReport{{std::move(survey.directories), std::move(survey.date)}, decoded.encoding};
}

int runCompare(const Options& options, ReportPlatform& platform, const ReportEnvironment& environment)
{
    const std::string& earlierPath = options.operands[0];
    std::variant<SavedReport, int> read = readSavedReport(earlierPath, platform, environment);
    if (std::holds_alternative<int>(read)) {
        return std::get<int>(read);
    }
    SavedReport& earlier = std::get<SavedReport>(read);
    ComparedSurvey later;
    std::vector<SkippedDirectory> skipped;
    if (options.operands[1] == "survey") {
        Options survey = options;
        survey.command = "survey";
        survey.operands.assign(options.operands.begin() + 2, options.operands.end());
        WindowLists surveyed;
        std::vector<TreeMeasurement> measured;
        if (const std::optional<int> failed =
                makeReport(survey, platform, environment, surveyed, skipped, nullptr, &measured)) {
            return *failed;
        }
        // Named as the earlier report's encoding would save them, so that an unchanged tree
        // shows no change.
        later = surveyAsSaved(surveyed.List2, surveyed.List1, measured, earlier.encoding, *platform.encoder);
    } else {
        std::variant<SavedReport, int> saved = readSavedReport(options.operands[1], platform, environment);
        if (std::holds_alternative<int>(saved)) {
            return std::get<int>(saved);
        }
        SavedReport& laterReport = std::get<SavedReport>(saved);
        // Names that one of the two could not save read as "?" in it: so they must in both.
        if (earlier.encoding != laterReport.encoding) {
            narrowToShiftJis(earlier.encoding == ReportEncoding::Utf8 ? earlier.survey : laterReport.survey,
                             *platform.encoder);
        }
        later = std::move(laterReport.survey);
    }
    WindowLists comparison;
    const std::vector<std::string> ambiguous = fillComparison(comparison, earlier.survey, later, earlierPath,
                                                              platform.clock->now(), environment.decimalSeparator);
    for (const std::string& path : ambiguous) {
        environment.err << kProgramName << ": " << displayPath(path)
                        << ": more than one directory goes by this name in the reports; each is shown\n";
    }
    const int status = deliverWithSkipped(comparison, skipped, options, platform, environment);
    if (environment.endProcess != nullptr) {
        environment.endProcess(status);
    }
    return status;
}

}  // namespace

const PlatformHelp kPosixHelp = {
    "DIR is a path of this system or a drive path such as C:\\home. Hidden entries\n"
    "(names beginning with \".\"), symbolic links, special files and other file\n"
    "systems mounted below DIR are not counted.\n",
    "                 Without it, C: is / and D: onwards the other mounted file\n"
    "                 systems of user files. A DIR on a file system without a letter\n"
    "                 is surveyed under one given to it for the run (A:, then B:).\n",
    "                 printing it: a file is replaced whole, a link followed, a\n"
    "                 device or FIFO written to; a file no one may write is refused.\n"
    "                 FILE - is standard output; it and the other descriptors the\n"
    "                 program was given (/dev/stdout, /dev/fd/N) are written where\n"
    "                 they stand, never truncated\n",
    "  --threads N    read directories with up to N threads (default: as many as\n"
    "                 the reads show they wait for, up to 64, one per core while\n"
    "                 they do not; on a spinning disk one while they wait);\n"
    "                 1 reads one directory at a time\n",
};

int runMezuReport(const std::vector<std::string>& args, const ReportEnvironment& environment)
{
    const ParseResult parsed = parseArguments(args);
    if (parsed.help || parsed.version) {
        errno = 0;
        if (parsed.help) {
            environment.out << usageText(environment.help);
        } else {
            environment.out << kProgramName << ' ' << kVersionText << '\n' << kLicenceText;
        }
        environment.out.flush();
        if (!environment.out) {
            reportOutputError(environment, errno);
            return kExitFailure;
        }
        return kExitSuccess;
    }
    if (!parsed.options) {
        environment.err << kProgramName << ": " << parsed.error << '\n'
                        << "Try 'mezu-report --help' for more information.\n";
        return kExitUsage;
    }

    std::variant<ReportPlatform, std::string> made = environment.makePlatform(parsed.options->platform);
    if (std::holds_alternative<std::string>(made)) {
        environment.err << kProgramName << ": " << std::get<std::string>(made) << '\n';
        return kExitFailure;
    }
    if (parsed.options->command == "compare") {
        return runCompare(*parsed.options, std::get<ReportPlatform>(made), environment);
    }
    return runCommand(*parsed.options, std::get<ReportPlatform>(made), environment);
}

}  // namespace mezu
