// SPDX-License-Identifier: MIT
// The Qt main window: binds its widgets to the window presenter, which runs the user's actions
// on the window logic (`mezumain`) and says what to show; it holds no logic of its own. While a
// command runs, the commands and the selectors are disabled and the result list shows the lines
// as they arrive. Closing the window during a run stops the run and ends the program.
#pragma once

#include <QMainWindow>

#include "ui/mezumain.h"
#include "ui/qt/drive_combo_box.h"
#include "ui/qt/qt_window_system.h"
#include "ui/window_presenter.h"

class QComboBox;
class QListView;
class QModelIndex;
class QPushButton;

namespace mezu {

class DirectoryViewModel;
class LineListModel;
class PathLabel;

class MezuMainView final : public QMainWindow, private WindowView {
public:
    // Borrows the logic and the window system; both outlive the view. Attaches itself to the
    // window system so that yields refresh the view.
    MezuMainView(mezumain& model, QtWindowSystem& windowSystem);

    // Shows the model's lists, label and selection as they stand.
    void refreshFromModel() { presenter_.refresh(); }

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
    void buildControls(const WindowLists& lists);
    void buildMenu();
    QListView* lineListView(QWidget* parent, const QRect& geometry, LineListModel* model);
    QPushButton* commandButton(QWidget* parent, WindowControl control, const QRect& geometry);
    void buildList1Actions();
    void showList1Menu(const QPoint& position);

    void showLists() override;
    void showTitle(const std::string& title) override;
    void showLabel1(const std::string& path) override;
    void showDrive1(const std::vector<mezumain::Drive1Item>& drives) override;
    void selectDrive1(char letter) override;
    void showDir1(const std::vector<DirectoryViewEntry>& lines) override;
    void showShares(const std::vector<double>& shares) override;
    void enableControls(bool enabled) override;
    void showRequestedPointer() override;
    void focus(WindowControl control) override;
    void endProgram() override;

    QtWindowSystem& windowSystem_;
    WindowPresenter presenter_;

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

// The fixed-pitch Mincho face of the result list (ui/window_style.h), drawn unsmoothed where
// IPAMincho stands in, as the font asks at this size.
QFont reportFont();

// The window's own face: the Japanese Gothic of the system's windows (ui/window_style.h), or
// IPAGothic where none is installed.
QFont windowFont();

// The program's own icon, drawn at 16 and 32 pixels.
QIcon applicationIcon();

}  // namespace mezu
