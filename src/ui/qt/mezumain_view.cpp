#include "ui/qt/mezumain_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "ui/qt/window_layout.h"

namespace mezu {
namespace {

constexpr QColor kDriveListBackground{192, 192, 192};
constexpr int kReportFontPoints = 9;
constexpr int kWindowFontPoints = 9;
constexpr int kDirectoryIndentSpaces = 2;
constexpr int kDriveRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole;  // index into the directory view's entries

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Shows the lines of `lines` in `view`. While a command runs lines are only added at the end,
// so appending what is new keeps a long survey cheap; anything else is shown afresh.
void showLines(QListWidget* view, const LineList& lines)
{
    const int shown = view->count();
    const bool onlyAdded = static_cast<std::size_t>(shown) <= lines.count() &&
                           (shown == 0 || view->item(shown - 1)->text() ==
                                              fromUtf8(lines.line(static_cast<std::size_t>(shown) - 1)));
    if (!onlyAdded) {
        view->clear();
    }
    // Added in one step: one by one, a survey of many directories would lay the list out again
    // for every line.
    QStringList added;
    for (std::size_t i = static_cast<std::size_t>(view->count()); i < lines.count(); ++i) {
        added << fromUtf8(lines.line(i));
    }
    view->addItems(added);
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
    return font;
}

QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("IPAGothic")});
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
    client->setFixedSize(layout::kClientArea);
    setCentralWidget(client);

    label1_ = new QLabel{client};
    label1_->setGeometry(layout::kLabel1);
    label1_->setAutoFillBackground(true);
    QPalette labelColours = label1_->palette();
    labelColours.setColor(QPalette::Window, labelColours.color(QPalette::Base));
    labelColours.setColor(QPalette::WindowText, labelColours.color(QPalette::Text));
    label1_->setPalette(labelColours);
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label1_->setWordWrap(true);
    label1_->setTextFormat(Qt::PlainText);

    dlist_ = new QListWidget{client};
    dlist_->setGeometry(layout::kDlist);
    QPalette grey = dlist_->palette();
    grey.setColor(QPalette::Base, kDriveListBackground);
    dlist_->setPalette(grey);
    dlist_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dlist_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dlist_->setFocusPolicy(Qt::TabFocus);
    dlist_->setUniformItemSizes(true);

    drive1_ = new QComboBox{client};
    drive1_->setGeometry(layout::kDrive1);
    for (char letter : model_.drives()) {
        drive1_->addItem(QStringLiteral("%1:").arg(QChar{letter}.toLower()), QChar{letter});
    }
    connect(drive1_, &QComboBox::activated, this, &MezuMainView::onDriveChosen);

    dir1_ = new QListWidget{client};
    dir1_->setGeometry(layout::kDir1);
    dir1_->setUniformItemSizes(true);
    connect(dir1_, &QListWidget::itemActivated, this, &MezuMainView::onDirectoryOpened);

    command1_ = button(client, QStringLiteral("ディレクトリ容量調査"), layout::kCommand1);
    command3_ = button(client, QStringLiteral("ドライブ情報"), layout::kCommand3);
    command5_ = button(client, QStringLiteral("File出力"), layout::kCommand5);
    command5_->setFont(reportFont());
    command4_ = button(client, QStringLiteral("印　刷"), layout::kCommand4);
    command2_ = button(client, QStringLiteral("Command2"), layout::kCommand2);
    connect(command1_, &QPushButton::clicked, this, [this] { runCommand(&mezumain::Command1_Click); });
    connect(command2_, &QPushButton::clicked, this, [this] { runCommand(&mezumain::Command2_Click); });
    connect(command3_, &QPushButton::clicked, this, [this] { runCommand(&mezumain::Command3_Click); });
    connect(command4_, &QPushButton::clicked, this, [this] { runCommand(&mezumain::Command4_Click); });
    connect(command5_, &QPushButton::clicked, this, [this] { runCommand(&mezumain::Command5_Click); });

    list1_ = new QListWidget{client};
    list1_->setGeometry(layout::kList1);
    list1_->setFont(reportFont());
    list1_->setUniformItemSizes(true);

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
    const WindowLists& lists = model_.lists();
    showLines(list1_, lists.List1);
    showLines(dlist_, lists.dlist);
    refreshSelection(listing);
}

void MezuMainView::refreshSelection(Dir1Listing listing)
{
    const Selection& selection = model_.selection();
    label1_->setText(fromUtf8(selection.Label1));
    const int driveIndex = drive1_->findData(QChar{selection.Drive1});
    if (driveIndex >= 0) {
        drive1_->setCurrentIndex(driveIndex);
    }
    if (listing == Dir1Listing::IfMoved && !dir1Entries_.empty() && shownDir1_ == selection.Dir1) {
        return;
    }
    shownDir1_ = selection.Dir1;
    dir1_->clear();
    dir1Entries_ = model_.Dir1Entries();
    // Looked up once: a style loads an icon afresh each time it is asked.
    const QIcon openIcon = dir1_->style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = dir1_->style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (std::size_t i = 0; i < dir1Entries_.size(); ++i) {
        const DirectoryViewEntry& entry = dir1Entries_[i];
        const QString indent(static_cast<qsizetype>(entry.depth * kDirectoryIndentSpaces), u' ');
        auto* item = new QListWidgetItem{indent + fromUtf8(entry.label), dir1_};
        item->setIcon(entry.isOpen ? openIcon : closedIcon);
        item->setData(kEntryRole, static_cast<qulonglong>(i));
        if (entry.isOpen) {
            dir1_->setCurrentItem(item);
        }
    }
}

void MezuMainView::showRunningState()
{
    const WindowLists& lists = model_.lists();
    showLines(list1_, lists.List1);
    showLines(dlist_, lists.dlist);
}

void MezuMainView::runCommand(void (mezumain::*handler)())
{
    setControlsEnabled(false);
    (model_.*handler)();
    setWindowTitle(QString::fromStdString(model_.windowTitle()));
    windowSystem_.showRequestedPointer();
    refreshFromModel(Dir1Listing::IfMoved);
    setControlsEnabled(true);
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

void MezuMainView::onDriveChosen(int index)
{
    const QChar letter = drive1_->itemData(index, kDriveRole).toChar();
    model_.selectDrive(letter.toLatin1());
    refreshFromModel();
}

void MezuMainView::onDirectoryOpened(QListWidgetItem* item)
{
    const auto index = static_cast<std::size_t>(item->data(kEntryRole).toULongLong());
    if (index < dir1Entries_.size()) {
        // A copy: refreshing replaces the entries.
        const std::string path = dir1Entries_[index].path;
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
