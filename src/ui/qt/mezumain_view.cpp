// SPDX-License-Identifier: MIT
#include "ui/qt/mezumain_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>

#include "model/path_text.h"
#include "ui/qt/directory_view_delegate.h"
#include "ui/qt/directory_view_model.h"
#include "ui/qt/drive_combo_box.h"
#include "ui/qt/line_list_model.h"
#include "ui/qt/path_label.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/share_bar_delegate.h"
#include "ui/qt/window_layout.h"
#include "ui/window_style.h"

namespace mezu {
namespace {

constexpr int kDriveRole = Qt::UserRole;

QColor qtColour(style::Colour colour)
{
    return QColor{colour.red, colour.green, colour.blue};
}

QStringList qtFaces(const auto& faces)
{
    QStringList families;
    for (const std::string_view face : faces) {
        families << qtText(face);
    }
    return families;
}

QPixmap iconPixmap(int size)
{
    QPixmap pixmap{size, size};
    pixmap.fill(Qt::transparent);
    QPainter painter{&pixmap};
    const qreal unit = size / 16.0;
    painter.scale(unit, unit);
    painter.setPen(QPen{QColor{128, 96, 0}, 1.0 / unit});
    painter.setBrush(QColor{255, 208, 64});
    painter.drawRect(QRectF{1, 3, 6, 2});
    painter.drawRect(QRectF{1, 4.5, 14, 10});
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor{0, 0, 160});
    painter.drawRect(QRectF{3.5, 9, 2, 4.5});
    painter.drawRect(QRectF{7, 6.5, 2, 7});
    painter.drawRect(QRectF{10.5, 11, 2, 2.5});
    return pixmap;
}

}  // namespace

QFont reportFont()
{
    QFont font;
    font.setFamilies(qtFaces(style::kReportFaces));
    font.setPointSize(style::kFontPoints);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // IPAMincho asks in its size table (gasp) to be drawn hinted and unsmoothed from 9 to 16
    // pixels, as Windows and Wine draw it; Qt smooths it all the same, and smoothed its full
    // stop, which sits lower than the digits, reads as a comma whatever the hinting (full
    // hinting also loses the foot of "B"). Unsmoothed, the stop is a dot on the digits' line.
    if (QFontInfo{font}.family().startsWith(QStringLiteral("IPA"))) {
        font.setStyleStrategy(QFont::NoAntialias);
    }
    return font;
}

QFont windowFont()
{
    QFont font;
    font.setFamilies(qtFaces(style::kWindowFaces) << QStringLiteral("IPAGothic"));
    font.setPointSize(style::kFontPoints);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QIcon applicationIcon()
{
    QIcon icon;
    icon.addPixmap(iconPixmap(16));
    icon.addPixmap(iconPixmap(32));
    return icon;
}

MezuMainView::MezuMainView(mezumain& model, QtWindowSystem& windowSystem)
    : windowSystem_(windowSystem),
      presenter_(model, *this, windowSystem)
{
    setWindowTitle(qtText(model.windowTitle()));
    setWindowIcon(applicationIcon());
    setFont(windowFont());
    buildControls(model.lists());
    buildMenu();
    windowSystem_.attach(this, [this] { presenter_.showProgress(); });
}

void MezuMainView::buildControls(const WindowLists& lists)
{
    auto* client = new QWidget{this};
    client->setFixedSize(layout::kClientAreaPixels);
    setCentralWidget(client);

    label1_ = new PathLabel{client};
    label1_->setGeometry(layout::pixels(layout::kLabel1));
    label1_->setAutoFillBackground(true);
    QPalette labelColours = label1_->palette();
    labelColours.setColor(QPalette::Window, labelColours.color(QPalette::Base));
    labelColours.setColor(QPalette::WindowText, labelColours.color(QPalette::Text));
    label1_->setPalette(labelColours);

    dlistModel_ = new LineListModel{lists.dlist, this};
    dlist_ = lineListView(client, layout::pixels(layout::kDlist), dlistModel_);
    QPalette grey = dlist_->palette();
    grey.setColor(QPalette::Base, qtColour(style::kDriveListBackground));
    dlist_->setPalette(grey);
    dlist_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dlist_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dlist_->setFocusPolicy(Qt::TabFocus);
    // Both drive lines must fit the list's two rows of height; the font's own line height may
    // be a pixel or two taller than the system's list boxes allow for.
    constexpr int kDriveLines = 2;
    const int drivelineHeight =
        std::min(QFontMetrics{dlist_->font()}.height(), dlist_->contentsRect().height() / kDriveLines);
    dlistModel_->setRowGeometry(dlist_->font(), drivelineHeight);

    drive1_ = new DriveComboBox{client};
    drive1_->setGeometry(layout::pixels(layout::kDrive1));
    presenter_.showDrives();
    drive1_->setBeforePopup([this] { presenter_.drive1DropsDown(); });
    connect(drive1_, &QComboBox::activated, this,
            [this](int index) { presenter_.driveChosen(drive1_->itemData(index, kDriveRole).toChar().toLatin1()); });

    dir1_ = new QListView{client};
    dir1_->setGeometry(layout::pixels(layout::kDir1));
    dir1_->setUniformItemSizes(true);
    dir1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Looked up once: a style loads an icon afresh each time it is asked.
    dir1Model_ = new DirectoryViewModel{dir1_->style()->standardIcon(QStyle::SP_DirOpenIcon),
                                        dir1_->style()->standardIcon(QStyle::SP_DirClosedIcon), this};
    dir1_->setModel(dir1Model_);
    dir1_->setItemDelegate(new DirectoryViewDelegate{dir1_});
    connect(dir1_, &QListView::activated, this, [this](const QModelIndex& index) {
        presenter_.dir1Opened(index.isValid() ? std::optional{static_cast<std::size_t>(index.row())} : std::nullopt);
    });

    command1_ = commandButton(client, WindowControl::Command1, layout::pixels(layout::kCommand1));
    command3_ = commandButton(client, WindowControl::Command3, layout::pixels(layout::kCommand3));
    command5_ = commandButton(client, WindowControl::Command5, layout::pixels(layout::kCommand5));
    command5_->setFont(reportFont());
    command4_ = commandButton(client, WindowControl::Command4, layout::pixels(layout::kCommand4));
    command2_ = commandButton(client, WindowControl::Command2, layout::pixels(layout::kCommand2));

    list1Model_ = new LineListModel{lists.List1, this};
    list1_ = lineListView(client, layout::pixels(layout::kList1), list1Model_);
    list1_->setFont(reportFont());
    list1_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list1Model_->setRowGeometry(list1_->font(), QFontMetrics{list1_->font()}.height() + 2);
    list1_->setItemDelegate(new ShareBarDelegate{list1_});
    buildList1Actions();

    QWidget::setTabOrder(command1_, list1_);
    QWidget::setTabOrder(list1_, drive1_);
    QWidget::setTabOrder(drive1_, dir1_);
    QWidget::setTabOrder(dir1_, dlist_);
    QWidget::setTabOrder(dlist_, command4_);
    QWidget::setTabOrder(command4_, command5_);
    QWidget::setTabOrder(command5_, command3_);
    QWidget::setTabOrder(command3_, command2_);
    command1_->setFocus();
}

QListView* MezuMainView::lineListView(QWidget* parent, const QRect& geometry, LineListModel* model)
{
    auto* view = new QListView{parent};
    view->setGeometry(geometry);
    // Every row is as wide as the widest line, so nothing is cut off with "…": a long line
    // scrolls sideways instead.
    view->setUniformItemSizes(true);
    view->setTextElideMode(Qt::ElideNone);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setModel(model);
    return view;
}

QPushButton* MezuMainView::commandButton(QWidget* parent, WindowControl control, const QRect& geometry)
{
    const auto command = std::find_if(kCommandButtons.begin(), kCommandButtons.end(),
                                      [control](const CommandButton& button) { return button.control == control; });
    auto* created = new QPushButton{qtText(command->caption), parent};
    created->setGeometry(geometry);
    created->setAutoDefault(true);
    connect(created, &QPushButton::clicked, this, [this, control] { presenter_.commandClicked(control); });
    return created;
}

void MezuMainView::buildList1Actions()
{
    // Double click or Enter on a result line surveys its directory; Backspace goes back up.
    connect(list1_, &QListView::activated, this, [this](const QModelIndex& index) {
        presenter_.list1Activated(index.isValid() ? std::optional{static_cast<std::size_t>(index.row())}
                                                  : std::nullopt);
    });
    auto* up = new QShortcut{QKeySequence{Qt::Key_Backspace}, list1_, nullptr, nullptr, Qt::WidgetShortcut};
    connect(up, &QShortcut::activated, this, [this] { presenter_.list1Backspace(); });
    list1_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list1_, &QListView::customContextMenuRequested, this, &MezuMainView::showList1Menu);
    // Esc stops a running command; the controls are disabled then, so the window listens.
    auto* stop = new QShortcut{QKeySequence{Qt::Key_Escape}, this, nullptr, nullptr, Qt::WindowShortcut};
    connect(stop, &QShortcut::activated, this, [this] { presenter_.escapePressed(); });
}

void MezuMainView::showList1Menu(const QPoint& position)
{
    // From the keyboard's menu key the position is the list's corner: the current line counts.
    QModelIndex index = list1_->indexAt(position);
    if (!index.isValid()) {
        index = list1_->currentIndex();
    }
    const std::optional<std::size_t> line =
        index.isValid() ? std::optional{static_cast<std::size_t>(index.row())} : std::nullopt;
    QMenu menu{list1_};
    std::vector<std::pair<QAction*, mezumain::List1Action>> actions;
    for (const mezumain::List1MenuItem& item : presenter_.list1Menu(line)) {
        if (item.separatorBefore) {
            menu.addSeparator();
        }
        QAction* action = menu.addAction(qtText(item.caption));
        action->setEnabled(item.enabled);
        action->setCheckable(item.checkable);
        action->setChecked(item.checked);
        actions.emplace_back(action, item.action);
    }
    QAction* chosen = menu.exec(list1_->viewport()->mapToGlobal(position));
    for (const auto& [action, what] : actions) {
        if (action == chosen) {
            presenter_.list1MenuChosen(what, line);
        }
    }
}

void MezuMainView::buildMenu()
{
    QMenu* help = menuBar()->addMenu(qtText(kHelpMenuCaption));
    for (std::size_t i = 0; i < kHelpMenu.size(); ++i) {
        QAction* action = help->addAction(qtText(kHelpMenu[i].caption));
        connect(action, &QAction::triggered, this, [this, i] { presenter_.helpChosen(i); });
    }
}

void MezuMainView::showLists()
{
    list1Model_->refresh();
    dlistModel_->refresh();
}

void MezuMainView::showTitle(const std::string& title)
{
    setWindowTitle(qtText(title));
}

void MezuMainView::showLabel1(const std::string& path)
{
    label1_->setPath(qtText(path));
}

void MezuMainView::showDrive1(const std::vector<mezumain::Drive1Item>& drives)
{
    drive1_->clear();
    for (const mezumain::Drive1Item& item : drives) {
        drive1_->addItem(qtText(item.caption), QChar{item.letter});
    }
}

void MezuMainView::selectDrive1(char letter)
{
    const int index = drive1_->findData(QChar{letter});
    if (index >= 0) {
        drive1_->setCurrentIndex(index);
    }
}

void MezuMainView::showDir1(const std::vector<DirectoryViewEntry>& lines)
{
    dir1Model_->setEntries(lines);
    if (dir1Model_->openRow() >= 0) {
        dir1_->setCurrentIndex(dir1Model_->index(dir1Model_->openRow()));
    }
}

void MezuMainView::showShares(const std::vector<double>& shares)
{
    list1Model_->setShares(shares);
}

void MezuMainView::enableControls(bool enabled)
{
    for (QWidget* control :
         std::initializer_list<QWidget*>{command1_, command2_, command3_, command4_, command5_, drive1_, dir1_}) {
        control->setEnabled(enabled);
    }
}

void MezuMainView::showRequestedPointer()
{
    windowSystem_.showRequestedPointer();
}

void MezuMainView::focus(WindowControl control)
{
    QWidget* const controls[] = {command1_, command2_, command3_, command4_, command5_, list1_};
    controls[static_cast<std::size_t>(control)]->setFocus();
}

void MezuMainView::endProgram()
{
    QCoreApplication::quit();
}

void MezuMainView::closeEvent(QCloseEvent* event)
{
    presenter_.closeRequested();
    // The window goes at once; the program ends when a command that runs has returned.
    event->accept();
}

}  // namespace mezu
