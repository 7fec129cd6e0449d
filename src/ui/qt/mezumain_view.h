// SPDX-License-Identifier: MIT
// The Qt main window: binds its widgets to the window logic (`mezumain`) and forwards the
// user's actions to its handlers; it holds no report logic. While a command runs, the commands
// and the selectors are disabled and the result list shows the lines as they arrive. Closing
// the window during a run stops the run and ends the program.
#pragma once

#include <QMainWindow>

#include <functional>

#include "ui/mezumain.h"
#include "ui/out_of_memory.h"
#include "ui/qt/drive_combo_box.h"
#include "ui/qt/qt_window_system.h"

class QComboBox;
class QListView;
class QModelIndex;
class QPushButton;

namespace mezu {

class DirectoryViewModel;
class LineListModel;
class PathLabel;

class MezuMainView final : public QMainWindow {
public:
    // Borrows the logic and the window system; both outlive the view. Attaches itself to the
    // window system so that yields refresh the view.
    MezuMainView(mezumain& model, QtWindowSystem& windowSystem);

    // Whether Dir1 reads its open directory again: always, or only when it has moved to
    // another directory (after a command, which leaves the directories as they were).
    enum class Dir1Listing { Always, IfMoved };

    // Shows the model's lists, label and selection as they stand.
    void refreshFromModel(Dir1Listing listing = Dir1Listing::Always);

    // The controls, by their design names.
    PathLabel* Label1() const { return label1_; }
    QListView* dlist() const { return dlist_; }
    QComboBox* Drive1() const { return drive1_; }
    QListView* Dir1() const { return dir1_; }
    QListView* List1() const { return list1_; }
    QPushButton* Command1() const { return command1_; }
    QPushButton* Command2() const { return command2_; }
    QPushButton* Command3() const { return command3_; }
    QPushButton* Command4() const { return command4_; }
    QPushButton* Command5() const { return command5_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    QListView* lineListView(QWidget* parent, const QRect& geometry, LineListModel* model);
    void connectCommand(QPushButton* button, void (mezumain::*handler)());
    // Runs a command with the controls disabled, then shows its outcome and gives the focus
    // back to `focusAfter`. Out of memory, the command shows a box and the report before it
    // stays, with its title and share bars.
    void runCommand(QWidget* focusAfter, ReportEffect effect, const std::function<void()>& command);
    void buildList1Actions();
    void surveyListedDirectory(const QModelIndex& index);
    void showList1Menu(const QPoint& position);
    void setControlsEnabled(bool enabled);
    void showRunningState();
    // Drive1 shows the drives anew, with the selected one chosen.
    void fillDrive1(const std::vector<mezumain::Drive1Item>& items);
    void onDriveChosen(int index);
    void onDirectoryOpened(const QModelIndex& index);
    void refreshSelection(Dir1Listing listing);

    mezumain& model_;
    QtWindowSystem& windowSystem_;
    bool closing_ = false;
    std::string shownDir1_;  // the directory Dir1 lists

    LineListModel* dlistModel_ = nullptr;
    LineListModel* list1Model_ = nullptr;
    DirectoryViewModel* dir1Model_ = nullptr;

    PathLabel* label1_ = nullptr;
    QListView* dlist_ = nullptr;
    DriveComboBox* drive1_ = nullptr;
    QListView* dir1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* command4_ = nullptr;
    QPushButton* command5_ = nullptr;
    QListView* list1_ = nullptr;
};

// The fixed-pitch Mincho face of the result list: "ＭＳ 明朝" 9 point, or a Mincho that is
// installed (IPAMincho, unsmoothed as the font asks at this size) where it is missing.
QFont reportFont();

// The window's own face: the Japanese Gothic of the system's windows at 9 point ("MS UI Gothic"
// or "ＭＳ Ｐゴシック", or IPAGothic where neither is installed).
QFont windowFont();

// The program's own icon, drawn at 16 and 32 pixels.
QIcon applicationIcon();

}  // namespace mezu
