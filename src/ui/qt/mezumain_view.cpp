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
#include "ui/qt/qt_text.h"
#include "ui/qt/directory_view_delegate.h"
#include "ui/qt/directory_view_model.h"
#include "ui/qt/drive_combo_box.h"
#include "ui/qt/line_list_model.h"
#include "ui/qt/path_label.h"
#include "ui/qt/share_bar_delegate.h"
#include "ui/qt/window_layout.h"

namespace mezu {
namespace {

constexpr QColor kDriveListBackground{192, 192, 192};
constexpr int kReportFontPoints = 9;
constexpr int kWindowFontPoints = 9;
constexpr int kDriveRole = Qt::UserRole;

// Saving and printing only read the report on screen.
ReportEffect reportEffectOf(void (mezumain::*handler)())
{
    return handler == &mezumain::Command4_Click || handler == &mezumain::Command5_Click ? ReportEffect::Reads
                                                                                          : ReportEffect::Replaces;
}


QPushButton* button(QWidget* parent, const QString& caption, const QRect& geometry)
{
    auto* created = new QPushButton{caption, parent};
    created->setGeometry(geometry);
    created->setAutoDefault(true);
    return created;
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
    font.setFamilies({QStringLiteral("ＭＳ 明朝"), QStringLiteral("MS Mincho"),
                      QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝")});
    font.setPointSize(kReportFontPoints);
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
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("ＭＳ Ｐゴシック"),
                      QStringLiteral("MS PGothic"), QStringLiteral("IPAGothic")});
    font.setPointSize(kWindowFontPoints);
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
    : model_(model), windowSystem_(windowSystem)
{
    setWindowTitle(QStringLiteral("ディレクトリ容量調査ツール"));
    setWindowIcon(applicationIcon());
    setFont(windowFont());
    buildControls();
    buildMenu();
    windowSystem_.attach(this, [this] { showRunningState(); });
}

void MezuMainView::buildControls()
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

    const WindowLists& lists = model_.lists();
    dlistModel_ = new LineListModel{lists.dlist, this};
    dlist_ = lineListView(client, layout::pixels(layout::kDlist), dlistModel_);
    QPalette grey = dlist_->palette();
    grey.setColor(QPalette::Base, kDriveListBackground);
    dlist_->setPalette(grey);
    dlist_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dlist_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dlist_->setFocusPolicy(Qt::TabFocus);
    // Both drive lines must fit the list's two rows of height; the font's own line height may
    // be a pixel or two taller than the system's list boxes allow for.
    constexpr int kDriveLines = 2;
    const int drivelineHeight = std::min(QFontMetrics{dlist_->font()}.height(),
                                         dlist_->contentsRect().height() / kDriveLines);
    dlistModel_->setRowGeometry(dlist_->font(), drivelineHeight);

    drive1_ = new DriveComboBox{client};
    drive1_->setGeometry(layout::pixels(layout::kDrive1));
    fillDrive1(model_.Drive1Items());
    drive1_->setBeforePopup([this] { fillDrive1(model_.Drive1_DropDown()); });
    connect(drive1_, &QComboBox::activated, this, &MezuMainView::onDriveChosen);

    dir1_ = new QListView{client};
    dir1_->setGeometry(layout::pixels(layout::kDir1));
    dir1_->setUniformItemSizes(true);
    dir1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Looked up once: a style loads an icon afresh each time it is asked.
    dir1Model_ = new DirectoryViewModel{dir1_->style()->standardIcon(QStyle::SP_DirOpenIcon),
                                        dir1_->style()->standardIcon(QStyle::SP_DirClosedIcon), this};
    dir1_->setModel(dir1Model_);
    dir1_->setItemDelegate(new DirectoryViewDelegate{dir1_});
    connect(dir1_, &QListView::activated, this, &MezuMainView::onDirectoryOpened);

    command1_ = button(client, QStringLiteral("ディレクトリ容量調査"), layout::pixels(layout::kCommand1));
    command3_ = button(client, QStringLiteral("ドライブ情報"), layout::pixels(layout::kCommand3));
    command5_ = button(client, QStringLiteral("File出力"), layout::pixels(layout::kCommand5));
    command5_->setFont(reportFont());
    command4_ = button(client, QStringLiteral("印　刷"), layout::pixels(layout::kCommand4));
    command2_ = button(client, QStringLiteral("Command2"), layout::pixels(layout::kCommand2));
    connectCommand(command1_, &mezumain::Command1_Click);
    connectCommand(command2_, &mezumain::Command2_Click);
    connectCommand(command3_, &mezumain::Command3_Click);
    connectCommand(command4_, &mezumain::Command4_Click);
    connectCommand(command5_, &mezumain::Command5_Click);

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

void MezuMainView::connectCommand(QPushButton* button, void (mezumain::*handler)())
{
    connect(button, &QPushButton::clicked, this,
            [this, button, handler] {
                runCommand(button, reportEffectOf(handler), [this, handler] { (model_.*handler)(); });
            });
}

void MezuMainView::buildList1Actions()
{
    // Double click or Enter on a result line surveys its directory; Backspace goes back up.
    connect(list1_, &QListView::activated, this, &MezuMainView::surveyListedDirectory);
    auto* up = new QShortcut{QKeySequence{Qt::Key_Backspace}, list1_, nullptr, nullptr, Qt::WidgetShortcut};
    connect(up, &QShortcut::activated, this,
            [this] { runCommand(list1_, ReportEffect::Replaces, [this] { model_.surveyParentDirectory(); }); });
    list1_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list1_, &QListView::customContextMenuRequested, this, &MezuMainView::showList1Menu);
    // Esc stops a running command; the controls are disabled then, so the window listens.
    auto* stop = new QShortcut{QKeySequence{Qt::Key_Escape}, this, nullptr, nullptr, Qt::WindowShortcut};
    connect(stop, &QShortcut::activated, this, [this] { model_.stopCommand(); });
}

void MezuMainView::surveyListedDirectory(const QModelIndex& index)
{
    if (!index.isValid() || !model_.listedDirectory(static_cast<std::size_t>(index.row()))) {
        return;
    }
    const auto row = static_cast<std::size_t>(index.row());
    runCommand(list1_, ReportEffect::Replaces, [this, row] { model_.surveyListedDirectory(row); });
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
    for (const mezumain::List1MenuItem& item : model_.List1Menu(line)) {
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
            runCommand(list1_, mezumain::replacesReport(what) ? ReportEffect::Replaces : ReportEffect::Reads,
                       [this, what = what, line] { model_.List1Chosen(what, line); });
        }
    }
}

void MezuMainView::buildMenu()
{
    QMenu* help = menuBar()->addMenu(QStringLiteral("help"));
    const std::pair<const char*, void (mezumain::*)()> items[] = {
        {"プログラムの説明", &mezumain::pgm_Click},
        {"作者紹介", &mezumain::maker_Click},
        {"開発環境", &mezumain::makekiki_Click},
        {"プログラムのバージョン", &mezumain::about_Click},
    };
    for (const auto& [caption, handler] : items) {
        QAction* action = help->addAction(QString::fromUtf8(caption));
        connect(action, &QAction::triggered, this, [this, handler = handler] { (model_.*handler)(); });
    }
}

void MezuMainView::refreshFromModel(Dir1Listing listing)
{
    showRunningState();
    refreshSelection(listing);
}

void MezuMainView::refreshSelection(Dir1Listing listing)
{
    const Selection& selection = model_.selection();
    label1_->setPath(qtText(displayPath(selection.Label1)));
    const int driveIndex = drive1_->findData(QChar{selection.Drive1});
    if (driveIndex >= 0) {
        drive1_->setCurrentIndex(driveIndex);
    }
    if (listing == Dir1Listing::IfMoved && !dir1Model_->entries().empty() && shownDir1_ == selection.Dir1) {
        return;
    }
    shownDir1_ = selection.Dir1;
    dir1Model_->setEntries(model_.Dir1Entries());
    if (dir1Model_->openRow() >= 0) {
        dir1_->setCurrentIndex(dir1Model_->index(dir1Model_->openRow()));
    }
}

void MezuMainView::showRunningState()
{
    list1Model_->refresh();
    dlistModel_->refresh();
    const QString title = qtText(model_.windowTitle());
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
}

void MezuMainView::runCommand(QWidget* focusAfter, ReportEffect effect, const std::function<void()>& command)
{
    if (model_.commandRunning()) {
        return;
    }
    setControlsEnabled(false);
    list1Model_->setShares({});
    runWithinMemory(model_, windowSystem_, effect, command);
    windowSystem_.showRequestedPointer();
    refreshFromModel(Dir1Listing::IfMoved);
    list1Model_->setShares(model_.List1Shares());
    setControlsEnabled(true);
    // Disabling the button moved the focus away; it comes back so that Space repeats the
    // command and Tab goes on from it.
    focusAfter->setFocus();
    if (closing_) {
        QCoreApplication::quit();
    }
}

void MezuMainView::setControlsEnabled(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{command1_, command2_, command3_, command4_,
                                                            command5_, drive1_, dir1_}) {
        control->setEnabled(enabled);
    }
}

void MezuMainView::fillDrive1(const std::vector<mezumain::Drive1Item>& items)
{
    drive1_->clear();
    for (const mezumain::Drive1Item& item : items) {
        drive1_->addItem(qtText(item.caption), QChar{item.letter});
    }
    const int selected = drive1_->findData(QChar{model_.selection().Drive1});
    if (selected >= 0) {
        drive1_->setCurrentIndex(selected);
    }
}

void MezuMainView::onDriveChosen(int index)
{
    const QChar letter = drive1_->itemData(index, kDriveRole).toChar();
    // The selector reports a choice even of the drive already selected; only another drive
    // changes anything.
    if (letter.toLatin1() == model_.selection().Drive1) {
        return;
    }
    model_.selectDrive(letter.toLatin1());
    refreshFromModel();
}

void MezuMainView::onDirectoryOpened(const QModelIndex& index)
{
    const auto row = static_cast<std::size_t>(index.row());
    if (index.isValid() && row < dir1Model_->entries().size()) {
        // A copy: refreshing replaces the entries.
        const std::string path = dir1Model_->entries()[row].path;
        model_.openDirectory(path);
    }
    refreshFromModel();
}

void MezuMainView::closeEvent(QCloseEvent* event)
{
    if (model_.commandRunning()) {
        closing_ = true;
        model_.requestStop();
    }
    event->accept();
}

}  // namespace mezu
