// SPDX-License-Identifier: MIT
#include "ui/mezumain.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "model/path_text.h"
#include "model/text_order.h"
#include "output/report_output.h"
#include "report/report_header.h"
#include "survey/all_drives_survey.h"
#include "survey/directory_survey.h"
#include "survey/drive_report.h"
#include "survey/report_compare.h"
#include "survey/saved_report.h"
#include "survey/sortcmd.h"
#include "ui/help_texts.h"

namespace mezu {
namespace {

constexpr std::string_view kWindowTitle = "ディレクトリ容量調査ツール";
constexpr std::string_view kCompareTitle = "前回の報告を開く";
constexpr std::string_view kCompareReadError = "ファイル入力エラーです";
constexpr std::string_view kCompareNotAReport = "ディレクトリ容量調査の報告ではありません";
constexpr std::string_view kDriveGoneBefore = "ドライブ ";
constexpr std::string_view kDriveGoneAfter = " が見つかりません";
constexpr std::string_view kCompareAmbiguous =
    "次の名前は報告の上で複数のディレクトリを示しています（どれも比較に示します）：";

}  // namespace

// Marks a command as running for its lifetime; `entered()` is false when another command
// already runs or the window is closing. A command that makes a new report starts it from
// nothing; one that outputs the report (print, save) leaves what the report measured, which its
// lines stand for.
class mezumain::CommandScope {
public:
    enum class Kind { NewReport, Output };

    CommandScope(bool& running, bool closing, mezucom& module, Kind kind = Kind::NewReport)
        : running_(running),
          entered_(!running && !closing)
    {
        if (entered_) {
            running_ = true;
            if (kind == Kind::NewReport) {
                module.forgetSkipped();
                module.forgetMeasurements();
            }
            // A stop by the user ends one command only.
            module.resumeAfterStop();
        }
    }
    ~CommandScope()
    {
        if (entered_) {
            running_ = false;
        }
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    bool entered() const { return entered_; }

private:
    bool& running_;
    bool entered_;
};

mezumain::mezumain(Services services)
    : services_(std::move(services)),
      module_(lists_, services_.fileSystem, services_.driveQuery, services_.windowSystem, services_.decimalSeparator),
      cob1FileName_(kDefaultSaveName)
{
    selection_.Drive1 = services_.fileSystem.currentDrive();
    selection_.Dir1 = services_.fileSystem.currentDirectory(selection_.Drive1).value_or("");
}

std::string mezumain::windowTitle() const
{
    std::string title{kWindowTitle};
    if (commandRunning_) {
        if (module_.directoriesWalked() > 0) {
            title += "（調査中 " + std::to_string(module_.directoriesWalked()) + " ディレクトリ）";
        }
        return title;
    }
    const bool counted = lastReport_ == Report::DirectorySurvey || lastReport_ == Report::AllDrivesSurvey ||
                         lastReport_ == Report::LargestFiles || lastReport_ == Report::FileKinds ||
                         lastReport_ == Report::FileAges;
    if (counted && reportSizeMode_ == SizeMode::Allocated) {
        title += kAllocatedTitleNote;
    }
    if (counted && reportLinkCounting_ == LinkCounting::Once) {
        title += kLinksOnceTitleNote;
    }
    if (lastReport_ == Report::Comparison) {
        title += "（前回の報告との比較）";
    }
    if (reportStopped_) {
        title += "（中止）";
    }
    const std::size_t unreadable = module_.skippedDirectories().size();
    if (unreadable > 0) {
        title += "（読み取れないディレクトリ " + std::to_string(unreadable) + "）";
    }
    return title;
}

void mezumain::showUnreadableDirectories()
{
    const std::vector<SkippedDirectory>& unreadable = module_.skippedDirectories();
    if (unreadable.empty()) {
        return;
    }
    // A box holds a screenful: the rest are counted.
    constexpr std::size_t kMostListed = 20;
    std::string text = "読み取れなかったディレクトリ（" + std::to_string(unreadable.size()) + "）：";
    for (std::size_t i = 0; i < unreadable.size() && i < kMostListed; ++i) {
        text += "\r" + displayPath(unreadable[i].path) + "：" + unreadable[i].reason;
    }
    if (unreadable.size() > kMostListed) {
        text += "\rほか " + std::to_string(unreadable.size() - kMostListed) + " 件";
    }
    services_.windowSystem.messageBox(text);
}

mezumain::ShownReport mezumain::shownReport() const
{
    return {lists_.List1, lists_.List2,    lists_.List3,        module_.measurements(), module_.skippedDirectories(),
            lastReport_,  reportSizeMode_, reportLinkCounting_, surveyedDirectory_,     reportStopped_,
            fileFindings_};
}

void mezumain::showReport(ShownReport report)
{
    lists_.List1 = std::move(report.List1);
    lists_.List2 = std::move(report.List2);
    lists_.List3 = std::move(report.List3);
    module_.restoreFindings(std::move(report.measurements), std::move(report.unreadable));
    lastReport_ = report.report;
    reportSizeMode_ = report.sizeMode;
    reportLinkCounting_ = report.linkCounting;
    surveyedDirectory_ = std::move(report.surveyedDirectory);
    reportStopped_ = report.stopped;
    fileFindings_ = std::move(report.fileFindings);
}

void mezumain::stopCommand()
{
    if (commandRunning_) {
        module_.requestStop();
    }
}

std::vector<mezumain::List1MenuItem> mezumain::List1Menu(std::optional<std::size_t> line) const
{
    const bool idle = !commandRunning_;
    const bool namesDirectory = line && listedDirectory(*line).has_value();
    return {
        {List1Action::SurveyLine, "このディレクトリを調査", idle && namesDirectory},
        {List1Action::Compare, "前回の報告と比較...", idle},
        {List1Action::ShowUnreadable, "読み取れなかったディレクトリ...", !module_.skippedDirectories().empty()},
        {List1Action::LargestFiles, "大きいファイル", idle, false, false, true},
        {List1Action::FileKinds, "ファイルの種類", idle},
        {List1Action::FileAges, "ファイルの更新日", idle},
        {List1Action::AllocatedSize, "実割当で計算", idle, true, sizeMode() == SizeMode::Allocated, true},
        {List1Action::LinksOnce, "ハードリンクを1回だけ数える", idle, true, linkCounting() == LinkCounting::Once},
    };
}

void mezumain::List1Chosen(List1Action action, std::optional<std::size_t> line)
{
    switch (action) {
        case List1Action::SurveyLine:
            if (line) {
                surveyListedDirectory(*line);
            }
            break;
        case List1Action::Compare:
            compareWithEarlierReport();
            break;
        case List1Action::ShowUnreadable:
            showUnreadableDirectories();
            break;
        case List1Action::LargestFiles:
            surveyFiles(FileReport::Largest);
            break;
        case List1Action::FileKinds:
            surveyFiles(FileReport::Kinds);
            break;
        case List1Action::FileAges:
            surveyFiles(FileReport::Ages);
            break;
        case List1Action::AllocatedSize:
            setSizeMode(sizeMode() == SizeMode::Allocated ? SizeMode::Clusters : SizeMode::Allocated);
            break;
        case List1Action::LinksOnce:
            setLinkCounting(linkCounting() == LinkCounting::Once ? LinkCounting::EveryLink : LinkCounting::Once);
            break;
    }
}

std::string driveCaption(char letter, std::string_view detail)
{
    std::string caption{static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), ':'};
    if (!detail.empty()) {
        caption += " [" + displayPath(detail) + "]";
    }
    return caption;
}

std::vector<mezumain::Drive1Item> mezumain::Drive1Items() const
{
    std::vector<char> letters = services_.fileSystem.drives();
    const char selected = selection_.Drive1;
    if (selected != '\0' && std::find(letters.begin(), letters.end(), selected) == letters.end()) {
        letters.insert(std::upper_bound(letters.begin(), letters.end(), selected), selected);
    }
    std::vector<Drive1Item> items;
    items.reserve(letters.size());
    for (const char letter : letters) {
        std::optional<std::string> mountPoint = services_.fileSystem.hostPath(driveRoot(letter));
        std::string caption = driveCaption(letter, mountPoint.value_or(""));
        items.push_back({letter, std::move(mountPoint), std::move(caption)});
    }
    return items;
}

std::vector<mezumain::Drive1Item> mezumain::Drive1_DropDown()
{
    if (!commandRunning_ && openableDirectoryOfDrive(selection_.Drive1).empty()) {
        showDriveGone(selection_.Drive1);
    }
    return Drive1Items();
}

void mezumain::showDriveGone(char drive)
{
    const std::string caption = driveCaption(drive, services_.fileSystem.hostPath(driveRoot(drive)).value_or(""));
    services_.windowSystem.messageBox(std::string{kDriveGoneBefore} + caption + std::string{kDriveGoneAfter});
}

void mezumain::Form_Load()
{
    selection_.Label1 = selection_.Dir1;
    module_.drvinfo(selection_.Dir1);
}

bool mezumain::selectDrive(char letter)
{
    if (commandRunning_) {
        return false;
    }
    const char drive = driveLetterOf(std::string{letter});
    if (openableDirectoryOfDrive(drive).empty()) {
        showDriveGone(drive);
        return false;
    }
    selection_.Drive1 = drive;
    Drive1_Change();
    return true;
}

bool mezumain::openDirectory(const std::string& path)
{
    if (commandRunning_) {
        return false;
    }
    return setDir1Path(path);
}

void mezumain::Drive1_Change()
{
    setDir1Path(std::string{selection_.Drive1} + ":");
    module_.drvinfo(selection_.Dir1);
}

void mezumain::Dir1_Change()
{
    selection_.Label1 = selection_.Dir1;
}

std::string mezumain::openableDirectoryOfDrive(char drive)
{
    FileSystem& fileSystem = services_.fileSystem;
    std::string current = fileSystem.currentDirectory(drive).value_or("");
    if (!current.empty() && fileSystem.directoryExists(current)) {
        return current;
    }
    const std::string root = driveRoot(drive);
    return fileSystem.directoryExists(root) ? root : std::string{};
}

bool mezumain::setDir1Path(const std::string& path)
{
    const bool driveDesignation = path.size() == 2 && path[1] == ':';
    const std::string target = driveDesignation ? openableDirectoryOfDrive(driveLetterOf(path)) : path;
    if (target.empty() || (!driveDesignation && !services_.fileSystem.directoryExists(target))) {
        return false;
    }
    selection_.Dir1 = target;
    selection_.Drive1 = driveLetterOf(target);
    Dir1_Change();
    return true;
}

void mezumain::Command1_Click()
{
    const CommandScope scope{commandRunning_, closing_, module_};
    if (!scope.entered()) {
        return;
    }
    lastReport_ = Report::DirectorySurvey;
    reportSizeMode_ = module_.sizeMode();
    reportLinkCounting_ = module_.linkCounting();
    fileFindings_ = {};
    surveyedDirectory_ = selection_.Label1;
    directorySurvey(lists_, module_, services_.windowSystem, services_.clock.now(), selection_.Label1);
    reportStopped_ = module_.stopRequested();
}

void mezumain::Command2_Click()
{
    const CommandScope scope{commandRunning_, closing_, module_};
    if (!scope.entered()) {
        return;
    }
    lastReport_ = Report::AllDrivesSurvey;
    reportSizeMode_ = module_.sizeMode();
    reportLinkCounting_ = module_.linkCounting();
    fileFindings_ = {};
    allDrivesSurvey(lists_, module_, services_.windowSystem, services_.clock.now());
    reportStopped_ = module_.stopRequested();
    requerySelectedDrive();
}

void mezumain::Command3_Click()
{
    const CommandScope scope{commandRunning_, closing_, module_};
    if (!scope.entered()) {
        return;
    }
    lastReport_ = Report::DriveInformation;
    reportStopped_ = false;
    driveInformationReport(lists_, module_, services_.clock.now());
    requerySelectedDrive();
}

void mezumain::requerySelectedDrive()
{
    module_.drvinfo(selection_.Dir1);
}

void mezumain::Command4_Click()
{
    const CommandScope scope{commandRunning_, closing_, module_, CommandScope::Kind::Output};
    if (!scope.entered() || services_.printer == nullptr) {
        return;
    }
    if (!printReport(lists_, *services_.printer)) {
        services_.windowSystem.messageBox(std::string{kPrinterErrorMessage});
    }
}

void mezumain::Command5_Click()
{
    const CommandScope scope{commandRunning_, closing_, module_, CommandScope::Kind::Output};
    if (!scope.entered() || services_.saveDialog == nullptr || services_.encoder == nullptr ||
        services_.fileWriter == nullptr) {
        return;
    }
    const std::optional<std::string> chosen = services_.saveDialog->askFileName(kSaveFilter, cob1FileName_);
    if (!chosen) {
        return;
    }
    cob1FileName_ = *chosen;
    if (utf16Length(cob1FileName_) < kShortestSaveName) {
        return;
    }
    std::string error;
    if (!saveReport(lists_, cob1FileName_, *services_.encoder, *services_.fileWriter, error)) {
        services_.windowSystem.messageBox(std::string{kSaveErrorMessage});
    }
}

bool mezumain::setSizeMode(SizeMode mode)
{
    if (commandRunning_) {
        return false;
    }
    module_.setSizeMode(mode);
    return true;
}

bool mezumain::setLinkCounting(LinkCounting counting)
{
    if (commandRunning_) {
        return false;
    }
    module_.setLinkCounting(counting);
    return true;
}

void mezumain::surveyFiles(FileReport report, std::size_t count)
{
    const CommandScope scope{commandRunning_, closing_, module_};
    if (!scope.entered()) {
        return;
    }
    constexpr std::array<Report, 3> kReports = {Report::LargestFiles, Report::FileKinds, Report::FileAges};
    lastReport_ = kReports[static_cast<std::size_t>(report)];
    reportSizeMode_ = module_.sizeMode();
    reportLinkCounting_ = module_.linkCounting();
    fileFindings_ = {};
    surveyedDirectory_ = selection_.Label1;
    fileFindings_ =
        fileReportSurvey(lists_, module_, services_.clock, services_.clock.now(), selection_.Label1, report, count);
    reportStopped_ = module_.stopRequested();
}

void mezumain::pgm_Click()
{
    services_.windowSystem.messageBox(descriptionText());
}

void mezumain::maker_Click()
{
    services_.windowSystem.messageBox(authorText());
}

void mezumain::makekiki_Click()
{
    services_.windowSystem.messageBox(environmentText());
}

void mezumain::about_Click()
{
    services_.windowSystem.messageBox(versionText());
}

void mezumain::sortcmd()
{
    sortLargestFirst(lists_.List1);
}

std::optional<std::string> mezumain::listedDirectory(std::size_t index) const
{
    if (lastReport_ == Report::LargestFiles) {
        const std::uint32_t tag = lists_.List1.tag(index);
        if (tag >= fileFindings_.files.size()) {
            return std::nullopt;
        }
        return fileFindings_.files[tag].directory();
    }
    const bool survey = lastReport_ == Report::DirectorySurvey || lastReport_ == Report::AllDrivesSurvey;
    if (!survey || index >= lists_.List1.count()) {
        return std::nullopt;
    }
    const std::uint32_t tag = lists_.List1.tag(index);
    const std::vector<TreeMeasurement>& measured = module_.measurements();
    if (tag >= measured.size()) {
        return std::nullopt;
    }
    return measured[tag].path;
}

bool mezumain::surveyListedDirectory(std::size_t index)
{
    if (lastReport_ == Report::LargestFiles && !commandRunning_) {
        // A file removed (or made a directory) since the report was made names nothing to survey.
        const std::uint32_t tag = lists_.List1.tag(index);
        const std::optional<FileAttributes> attributes =
            tag < fileFindings_.files.size() ? services_.fileSystem.attributesOf(fileFindings_.files[tag].path)
                                             : std::nullopt;
        if (!attributes || isDirectory(*attributes)) {
            return false;
        }
    }
    const std::optional<std::string> directory = listedDirectory(index);
    return directory && openAndSurvey(*directory);
}

bool mezumain::surveyParentDirectory()
{
    if (lastReport_ != Report::DirectorySurvey || surveyedDirectory_.size() <= driveRootOf(surveyedDirectory_).size()) {
        return false;
    }
    const std::size_t lastSeparator = surveyedDirectory_.rfind(kPathSeparator);
    const std::string parent =
        lastSeparator < 3 ? driveRootOf(surveyedDirectory_) : surveyedDirectory_.substr(0, lastSeparator);
    return openAndSurvey(parent);
}

bool mezumain::openAndSurvey(const std::string& directory)
{
    const char previousDrive = selection_.Drive1;
    if (commandRunning_ || !services_.fileSystem.directoryExists(directory) || !setDir1Path(directory)) {
        return false;
    }
    if (selection_.Drive1 != previousDrive) {
        module_.drvinfo(selection_.Dir1);
    }
    Command1_Click();
    return true;
}

void mezumain::compareWithEarlierReport()
{
    if (commandRunning_ || closing_ || services_.openDialog == nullptr || services_.fileReader == nullptr ||
        services_.encoder == nullptr) {
        return;
    }
    const std::optional<std::string> chosen = services_.openDialog->askFileToOpen(kCompareTitle, kSaveFilter);
    if (!chosen) {
        return;
    }
    std::string error;
    const std::optional<std::string> bytes = services_.fileReader->readReportBytes(*chosen, error);
    if (!bytes) {
        services_.windowSystem.messageBox(std::string{kCompareReadError} + "\r" + displayPath(*chosen) + "\r" + error);
        return;
    }
    const DecodedReport decoded = decodeReportFile(*bytes, *services_.encoder);
    const SavedSurvey earlier = decoded.error.empty() ? readSavedSurvey(decoded.text) : SavedSurvey{};
    if (!decoded.error.empty() || !earlier.error.empty()) {
        services_.windowSystem.messageBox(std::string{kCompareNotAReport} + "\r" + displayPath(*chosen) + "\r" +
                                          (decoded.error.empty() ? earlier.error : decoded.error));
        return;
    }
    // The comparison reads nothing from the disk, so the survey it starts from, made now or
    // before, stays the last command of the file system, with its unreadable directories.
    // A stopped survey lacks directories it never reached: it would show them as gone.
    if ((lastReport_ != Report::DirectorySurvey && lastReport_ != Report::AllDrivesSurvey) || reportStopped_) {
        Command1_Click();
    }
    if (module_.stopRequested() || reportStopped_) {
        return;
    }
    const ComparedSurvey later =
        surveyAsSaved(lists_.List2, lists_.List1, module_.measurements(), decoded.encoding, *services_.encoder);
    const std::vector<std::string> ambiguous = fillComparison(
        lists_, {earlier.directories, earlier.date}, later, *chosen, services_.clock.now(), services_.decimalSeparator);
    lastReport_ = Report::Comparison;
    if (!ambiguous.empty()) {
        std::string text{kCompareAmbiguous};
        for (const std::string& path : ambiguous) {
            text += "\r" + displayPath(path);
        }
        services_.windowSystem.messageBox(text);
    }
}

std::vector<double> mezumain::List1Shares() const
{
    std::vector<double> shares;
    const auto share = [whole = static_cast<double>(fileFindings_.bytes)](ByteTotal bytes) {
        return whole > 0 ? std::min(1.0, static_cast<double>(bytes) / whole) : 0.0;
    };
    switch (lastReport_) {
        case Report::LargestFiles:
            for (const ListedFile& file : fileFindings_.files) {
                shares.push_back(share(file.counted));
            }
            return shares;
        case Report::FileKinds:
            for (const KindRow& row : fileFindings_.kinds.largest) {
                shares.push_back(share(row.bytes));
            }
            if (fileFindings_.kinds.rest.files != 0) {
                shares.push_back(share(fileFindings_.kinds.rest.bytes));
            }
            return shares;
        case Report::FileAges:
            for (const AgeRow& row : fileFindings_.ages) {
                shares.push_back(share(row.bytes));
            }
            return shares;
        default:
            break;
    }
    const std::vector<TreeMeasurement>& measured = module_.measurements();
    if (lastReport_ != Report::DirectorySurvey || measured.empty()) {
        return shares;
    }
    // The first measurement of a directory survey is its whole tree.
    const auto whole = static_cast<double>(measured.front().bytes);
    shares.reserve(lists_.List1.count());
    for (std::size_t i = 0; i < lists_.List1.count(); ++i) {
        const std::uint32_t tag = lists_.List1.tag(i);
        const double bytes = tag < measured.size() ? static_cast<double>(measured[tag].bytes) : 0.0;
        shares.push_back(whole > 0 ? std::min(1.0, bytes / whole) : 0.0);
    }
    return shares;
}

}  // namespace mezu
