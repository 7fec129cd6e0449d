// SPDX-License-Identifier: MIT
// The Qt window on the offscreen platform, driven as a user would: clicks, keys, menu items.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QTreeView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

#include "fake_file_system.h"
#include "fakes.h"
#include "ui/help_texts.h"
#include "ui/mezumain.h"
#include "ui/window_presenter.h"
#include "ui/qt/mezumain_view.h"
#include "ui/qt/directory_view_model.h"
#include "ui/qt/file_dialog_columns.h"
#include "ui/qt/line_list_model.h"
#include "ui/qt/path_label.h"
#include "report/report_header.h"
#include "report/result_line.h"
#include "survey/sortcmd.h"
#include "output/report_output.h"
#include "platform/posix/posix_file_writer.h"
#include "platform/posix/posix_text_encoder.h"
#include "temp_tree.h"
#include "platform/posix/posix_report_file_reader.h"
#include "ui/qt/qt_open_dialog.h"
#include "ui/qt/qt_save_dialog.h"
#include "ui/qt/qt_translations.h"
#include "ui/qt/qt_window_system.h"
#include "ui/qt/window_layout.h"

using namespace mezu;

namespace {

QStringList shownLines(const QListView* view)
{
    QStringList lines;
    for (int i = 0; i < view->model()->rowCount(); ++i) {
        lines << view->model()->index(i, 0).data().toString();
    }
    return lines;
}

int rowCount(const QListView* view)
{
    return view->model()->rowCount();
}

QStringList modelLines(const LineList& list)
{
    QStringList lines;
    for (const std::string& line : list.lines()) {
        lines << QString::fromStdString(line);
    }
    return lines;
}

// The window over a fake machine: C: holds the working directory C:\WORK with two
// subdirectories, D: answers with 32 KiB clusters, E: has no medium.
struct Fixture {
    static test::FakeFileSystem machine()
    {
        test::FakeFileSystem fs{{'C', 'D', 'E'}};
        fs.addFile("C:\\WORK\\top", 5000);
        fs.addFile("C:\\WORK\\BIG\\f", 100000);
        fs.addFile("C:\\WORK\\SMALL\\f", 1);
        fs.addDirectory("C:\\WORK\\.hidden");
        fs.addDirectory("D:\\DOCS");
        fs.changeDirectory("C:\\WORK");
        fs.setDriveUnavailable('E');
        return fs;
    }

    Fixture()
    {
        drives.set('C', test::driveWithCluster(4096));
        drives.set('D', test::driveWithCluster(32768));
        view.reset(new MezuMainView{window, windowSystem});
        window.Form_Load();
        view->refreshFromModel();
        view->show();
    }

    test::FakeFileSystem fs = machine();
    test::FakeDriveQuery drives;
    test::FixedClock clock;
    // Hands over to the event loop at every yield, so the tests see every step.
    QtWindowSystem windowSystem{std::chrono::milliseconds{0}};
    mezumain window{{fs, drives, windowSystem, clock}};
    std::unique_ptr<MezuMainView> view;
};

}  // namespace

class MezuMainViewTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTheWorkingDirectoryAndItsDrive();
    void controlsStandWhereTheLayoutPutsThem();
    void pickingADriveShowsItsDirectoryAndFigures();
    void openingASubdirectoryChangesOnlyTheLabel();
    void surveyButtonFillsTheReport();
    void controlsAreDisabledWhileASurveyRuns();
    void helpItemsShowTheirBoxes();
    void tabReachesTheHiddenButton();
    void saveButtonAsksForANameAndWritesShiftJis();
    void theAllFilesFilterOffersEveryFileAndKeepsTheName();
    void standardDialogsSpeakJapanese();
    void fileDialogsShowTheirColumnsWhole();
    void closingDuringASurveyStopsIt();
    void listViewsShowExactlyTheirLinesAfterAnyChange();
    void label1KeepsTheSelectedFolderInView();
    void longResultLinesScrollInsteadOfBeingCut();
    void focusReturnsToTheButtonThatRanTheCommand();
    void resultLinesDrillDownAndBackUpWithShareBars();
    void comparingWithASavedReportShowsTheChanges();
    void allocatedItemTogglesTheSizeModeWithACheckMark();
};

void MezuMainViewTest::startsWithTheWorkingDirectoryAndItsDrive()
{
    Fixture f;
    QCOMPARE(f.view->windowTitle(), QStringLiteral("ディレクトリ容量調査ツール"));
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("C:\\WORK"));
    QCOMPARE(shownLines(f.view->dlist()), modelLines(f.window.lists().dlist));
    QCOMPARE(rowCount(f.view->dlist()), 2);
    QCOMPARE(f.view->Drive1()->currentText(), QStringLiteral("c:"));
    QCOMPARE(shownLines(f.view->Dir1()), (QStringList{"C:\\", "WORK", "BIG", "SMALL"}));
    QList<int> depths;
    for (int row = 0; row < rowCount(f.view->Dir1()); ++row) {
        depths << f.view->Dir1()->model()->index(row, 0).data(DirectoryViewModel::kDepthRole).toInt();
    }
    QCOMPARE(depths, (QList<int>{0, 1, 2, 2}));
    QCOMPARE(f.view->focusWidget(), f.view->Command1());

    f.view->Dir1()->setFocus();
    QTest::keyClicks(f.view->Dir1(), QStringLiteral("sm"));  // type-ahead finds the name
    QCOMPARE(f.view->Dir1()->currentIndex().row(), 3);
}

void MezuMainViewTest::controlsStandWhereTheLayoutPutsThem()
{
    Fixture f;
    QCOMPARE(f.view->centralWidget()->size(), QSize(458, 310));
    QCOMPARE(f.view->Label1()->geometry(), QRect(8, 8, 441, 41));
    QCOMPARE(f.view->dlist()->geometry(), QRect(8, 56, 441, 26));
    QCOMPARE(f.view->Drive1()->geometry(), QRect(8, 88, 441, 20));
    QCOMPARE(f.view->Dir1()->geometry(), QRect(8, 112, 441, 90));
    QCOMPARE(f.view->Command1()->geometry(), QRect(8, 208, 137, 25));
    QCOMPARE(f.view->Command3()->geometry(), QRect(152, 208, 73, 25));
    QCOMPARE(f.view->Command5()->geometry(), QRect(296, 208, 73, 25));
    QCOMPARE(f.view->Command4()->geometry(), QRect(376, 208, 73, 25));
    QCOMPARE(f.view->List1()->geometry(), QRect(8, 240, 441, 62));
    QVERIFY(f.view->Command2()->geometry().left() >= f.view->centralWidget()->width());
    QCOMPARE(f.view->Command1()->text(), QStringLiteral("ディレクトリ容量調査"));
    QCOMPARE(f.view->Command3()->text(), QStringLiteral("ドライブ情報"));
    QCOMPARE(f.view->Command5()->text(), QStringLiteral("File出力"));
    QCOMPARE(f.view->Command4()->text(), QStringLiteral("印　刷"));
    QCOMPARE(f.view->Command2()->text(), QStringLiteral("Command2"));
    QCOMPARE(f.view->dlist()->palette().color(QPalette::Base), QColor(192, 192, 192));
    // The window's Gothic at 9 point, and both drive lines whole inside the grey list.
    QCOMPARE(f.view->dlist()->font().pointSize(), 9);
    QVERIFY2(QFontInfo(f.view->dlist()->font()).family().contains(QStringLiteral("Gothic")),
             qPrintable(QFontInfo(f.view->dlist()->font()).family()));
    const QRect secondDriveLine = f.view->dlist()->visualRect(f.view->dlist()->model()->index(1, 0));
    QVERIFY(secondDriveLine.height() > 0);
    QVERIFY(f.view->dlist()->viewport()->rect().contains(secondDriveLine));
    QCOMPARE(f.view->List1()->font().families().first(), QStringLiteral("ＭＳ 明朝"));
    QCOMPARE(f.view->List1()->font().pointSize(), 9);
    const QFontMetrics metrics{f.view->List1()->font()};
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii.")), metrics.horizontalAdvance(QStringLiteral("MMMM0")));
    QVERIFY2(QFontInfo(f.view->List1()->font()).family().contains(QStringLiteral("Mincho")),
             qPrintable(QFontInfo(f.view->List1()->font()).family()));
    QCOMPARE(f.view->Command5()->font(), f.view->List1()->font());
    if (QFontInfo(f.view->List1()->font()).family().startsWith(QStringLiteral("IPA"))) {
        // Smoothed at this size, its full stop reads as a comma.
        QVERIFY(f.view->List1()->font().styleStrategy() & QFont::NoAntialias);
    }
    QCOMPARE(f.view->Label1()->palette().color(QPalette::Window), f.view->palette().color(QPalette::Base));
    QVERIFY(!f.view->windowIcon().isNull());
}

void MezuMainViewTest::pickingADriveShowsItsDirectoryAndFigures()
{
    Fixture f;
    f.drives.set('D', test::driveWithCluster(4096, 1000, 10));  // C:'s geometry line, other space
    QComboBox* drive1 = f.view->Drive1();
    drive1->setFocus();
    QTest::keyClick(drive1, Qt::Key_Down);
    QCOMPARE(drive1->currentText(), QStringLiteral("d:"));
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("D:\\"));
    QCOMPARE(shownLines(f.view->dlist()), modelLines(f.window.lists().dlist));

    QString message;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        message = box->text();
        box->accept();
    });
    QTest::keyClick(drive1, Qt::Key_Down);  // E: has no medium
    QVERIFY(message.endsWith(QStringLiteral(" が見つかりません")));
    QCOMPARE(drive1->currentText(), QStringLiteral("d:"));

    f.fs.addDrive('A');  // a letter given for the run
    f.fs.setHostRoot('A', "/dev/shm");
    drive1->showPopup();
    QStringList offered;
    for (int i = 0; i < drive1->count(); ++i) {
        offered << drive1->itemText(i);
    }
    QStringList captions;
    for (const mezumain::Drive1Item& item : f.window.Drive1Items()) {
        captions << QString::fromStdString(item.caption);
    }
    QCOMPARE(offered, captions);
    QCOMPARE(drive1->currentText(), QStringLiteral("d:"));
    drive1->hidePopup();
}
void MezuMainViewTest::openingASubdirectoryChangesOnlyTheLabel()
{
    Fixture f;
    QListView* dir1 = f.view->Dir1();
    const int big = static_cast<int>(shownLines(dir1).indexOf(QStringLiteral("BIG")));
    QVERIFY(big >= 0);
    const QRect itemRect = dir1->visualRect(dir1->model()->index(big, 0));
    // A double click as the window system delivers it: press, release, then the double click.
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, itemRect.center());
    QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, itemRect.center());
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("C:\\WORK\\BIG"));
    QCOMPARE(shownLines(dir1), (QStringList{"C:\\", "WORK", "BIG"}));

    dir1->setCurrentIndex(dir1->model()->index(1, 0));
    QTest::keyClick(dir1, Qt::Key_Return);
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("C:\\WORK"));
}
void MezuMainViewTest::surveyButtonFillsTheReport()
{
    Fixture f;
    f.fs.find("C:\\WORK\\SMALL")->cannotOpen = true;
    QTest::mouseClick(f.view->Command1(), Qt::LeftButton);
    QCOMPARE(shownLines(f.view->List1()), modelLines(f.window.lists().List1));
    QCOMPARE(f.view->windowTitle(), QString::fromStdString(f.window.windowTitle()));
    QVERIFY(f.view->windowTitle().contains(QStringLiteral("読み取れないディレクトリ")));
    QVERIFY(f.view->Command1()->isEnabled());
}
void MezuMainViewTest::controlsAreDisabledWhileASurveyRuns()
{
    Fixture f;
    for (int i = 0; i < 200; ++i) {
        f.fs.addFile("C:\\WORK\\MANY\\f" + std::to_string(i), 10);
    }
    int checks = 0;
    int busyPointers = 0;
    bool allDisabled = true;
    QList<std::size_t> shownWhileRunning;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ++checks;
        for (QWidget* control : std::initializer_list<QWidget*>{f.view->Command1(), f.view->Command2(),
                                                                f.view->Command3(), f.view->Command4(),
                                                                f.view->Command5(), f.view->Drive1(), f.view->Dir1()}) {
            allDisabled = allDisabled && !control->isEnabled();
        }
        shownWhileRunning << static_cast<std::size_t>(rowCount(f.view->List1()));
        busyPointers += f.view->cursor().shape() == Qt::WaitCursor ? 1 : 0;
    });
    poll.start(0);
    QTest::mouseClick(f.view->Command1(), Qt::LeftButton);
    poll.stop();
    QVERIFY2(checks > 0, "the event loop never ran during the survey");
    QVERIFY(allDisabled);
    QVERIFY2(shownWhileRunning.last() > 0, "the result list grew while the survey ran");
    QVERIFY(busyPointers > 0);
    QVERIFY(f.view->Command1()->isEnabled());
    QVERIFY(f.view->Drive1()->isEnabled());
    QCOMPARE(f.view->cursor().shape(), Qt::ArrowCursor);
}

void MezuMainViewTest::helpItemsShowTheirBoxes()
{
    Fixture f;
    QMenu* help = f.view->menuBar()->findChild<QMenu*>();
    QVERIFY(help != nullptr);
    QCOMPARE(help->title(), QStringLiteral("help"));
    const QList<QAction*> items = help->actions();
    QCOMPARE(items.size(), static_cast<qsizetype>(kHelpMenu.size()));
    const std::string texts[] = {descriptionText(), authorText(), environmentText(), versionText()};
    for (std::size_t i = 0; i < kHelpMenu.size(); ++i) {
        QCOMPARE(items[static_cast<qsizetype>(i)]->text(),
                 QString::fromUtf8(kHelpMenu[i].caption.data(), static_cast<qsizetype>(kHelpMenu[i].caption.size())));
        QString text;
        QMessageBox::Icon icon = QMessageBox::Information;
        QString title;
        int buttons = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            text = box->text();
            icon = box->icon();
            title = box->windowTitle();
            buttons = static_cast<int>(box->buttons().size());
            box->accept();
        });
        items[static_cast<qsizetype>(i)]->trigger();
        // A carriage return starts a new line.
        QCOMPARE(text, QString::fromStdString(texts[i]).replace(u'\r', u'\n'));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(title, QStringLiteral("mezu"));
        QCOMPARE(buttons, 1);
    }
}
void MezuMainViewTest::tabReachesTheHiddenButton()
{
    Fixture f;
    QApplication::setActiveWindow(f.view.get());
    f.view->Command1()->setFocus();
    QList<QWidget*> order;
    for (int i = 0; i < 12 && order.count(f.view->Command2()) == 0; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget();
    }
    QCOMPARE(order.last(), static_cast<QWidget*>(f.view->Command2()));
    QVERIFY(order.indexOf(f.view->Command3()) == order.size() - 2);
    QTest::keyClick(f.view->Command2(), Qt::Key_Space);
    QCOMPARE(f.window.lastReport(), mezumain::Report::AllDrivesSurvey);
    QCOMPARE(shownLines(f.view->List1()), modelLines(f.window.lists().List1));
    QCOMPARE(shownLines(f.view->dlist()), modelLines(f.window.lists().dlist));
}
void MezuMainViewTest::saveButtonAsksForANameAndWritesShiftJis()
{
    QCOMPARE(qtNameFilters("ﾃｷｽﾄﾌｧｲﾙ|*.txt|All Files|*.*|"),
             (QStringList{QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"), QStringLiteral("All Files (*)")}));

    test::TempTree directory;
    Fixture f;
    QtSaveDialog dialog{f.view.get()};
    posix::IconvShiftJisEncoder encoder;
    posix::AtomicFileWriter writer;
    mezumain window{{f.fs, f.drives, f.windowSystem, f.clock, ".", &dialog, &encoder, &writer, nullptr}};
    MezuMainView view{window, f.windowSystem};
    window.Form_Load();
    window.Command1_Click();

    const QString target = QString::fromStdString(directory.path("report.txt"));
    QStringList offeredFilters;
    QString offeredName;
    auto answer = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(shown != nullptr);
            offeredFilters = shown->nameFilters();
            offeredName = shown->selectedFiles().value(0);
            if (accept) {
                shown->selectFile(target);
                static_cast<QDialog*>(shown)->accept();
            } else {
                shown->reject();
            }
        });
    };
    answer(false);
    QTest::mouseClick(view.Command5(), Qt::LeftButton);
    QVERIFY(offeredName.endsWith(QStringLiteral("MEZU.TXT")));
    QCOMPARE(offeredFilters.size(), 2);
    QVERIFY(!QFile::exists(target));

    answer(true);
    QTest::mouseClick(view.Command5(), Qt::LeftButton);
    QFile saved{target};
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QCOMPARE(bytes.toStdString(), reportFileBytes(window.lists(), encoder));
    QVERIFY(bytes.contains("\x83\x66\x83\x42\x83\x8C\x83\x4E\x83\x67\x83\x8A"));  // ディレクトリ
    QCOMPARE(window.Cob1FileName(), target.toStdString());
}

// Choosing the all-files type, as a user does in the type box, must neither hide names without
// a dot nor put a pattern into the chosen name.
void MezuMainViewTest::theAllFilesFilterOffersEveryFileAndKeepsTheName()
{
    struct Case {
        QString preset;
        QString typed;
    };
    for (const Case& c :
         {Case{QStringLiteral("MEZU.TXT"), QString{}}, Case{QStringLiteral("MEZU.TXT"), QStringLiteral("REPORT")},
          Case{QStringLiteral("old.report.txt"), QString{}}}) {
        QtSaveDialog dialog;
        QString shownName;
        QString nameFilter;
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(shown != nullptr);
            auto* types = shown->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* name = shown->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(types != nullptr && name != nullptr);
            if (!c.typed.isEmpty()) {
                name->setText(c.typed);
            }
            types->setCurrentIndex(1);
            emit types->activated(1);
            shownName = name->text();
            nameFilter = shown->selectedNameFilter();
            shown->reject();
        });
        QVERIFY(!dialog.askFileName(kSaveFilter, c.preset.toStdString()));
        QCOMPARE(shownName, c.typed.isEmpty() ? c.preset : c.typed);
        QCOMPARE(nameFilter, QStringLiteral("All Files (*)"));
    }
}

void MezuMainViewTest::standardDialogsSpeakJapanese()
{
    QTranslator* translator =
        installQtTranslations(*QCoreApplication::instance(), QLocale{QLocale::Japanese, QLocale::Japan});
    if (translator == nullptr) {
        QSKIP("Qt's Japanese translations are not installed (Debian package qt6-translations-l10n)");
    }
    QFileDialog dialog;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString save = dialog.labelText(QFileDialog::Accept);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Cancel);
    const QString cancel = box.button(QMessageBox::Cancel)->text();
    // The type column of the file dialogs.
    const QString folder = QFileIconProvider{}.type(QFileInfo{QDir::tempPath()});
    delete translator;
    QCOMPARE(QFileIconProvider{}.type(QFileInfo{QDir::tempPath()}), QStringLiteral("Folder"));

    for (const QString& text : {save, cancel, folder}) {
        QVERIFY2(std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; }),
                 qPrintable(text));
    }
}

void MezuMainViewTest::fileDialogsShowTheirColumnsWhole()
{
    test::TempTree directory;
    directory.dir("sub");
    directory.file("report of last year.txt", 123456);
    QFileDialog dialog{nullptr, {}, QString::fromStdString(directory.root())};
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QAbstractItemView* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    QVERIFY(details != nullptr);
    QHeaderView* header = static_cast<QTreeView*>(details)->header();
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int column = 0; column < header->count(); ++column) {
        header->resizeSection(column, 10);  // as saved by a program of a narrower face
    }
    fitFileDialogColumns(dialog);
    dialog.show();
    QTRY_COMPARE(details->model()->rowCount(details->rootIndex()), 2);
    for (int column = 0; column < header->count(); ++column) {
        QTRY_VERIFY2(header->sectionSize(column) >= details->sizeHintForColumn(column),
                     qPrintable(details->model()->headerData(column, Qt::Horizontal).toString()));
    }
}

void MezuMainViewTest::closingDuringASurveyStopsIt()
{
    Fixture f;
    for (int i = 0; i < 50; ++i) {
        f.fs.addFile("C:\\WORK\\D" + std::to_string(i) + "\\f", 10);
    }
    QTimer::singleShot(0, f.view.get(), [&] { f.view->close(); });
    QTest::mouseClick(f.view->Command1(), Qt::LeftButton);
    QVERIFY(f.window.module().stopRequested());
    QVERIFY(f.window.lists().List1.count() < 53u);
    QVERIFY(!f.view->isVisible());
}

void MezuMainViewTest::listViewsShowExactlyTheirLinesAfterAnyChange()
{
    // Each step changes the list in a way that leaves its last line, or its length, as it was.
    const std::vector<std::function<void(LineList&)>> steps = {
        [](LineList& l) {
            l.add("0000.01MB - C:\\A");
            l.add("0000.30MB - C:\\B");
            l.add("0000.02MB - C:\\C");
        },
        [](LineList& l) { sortLargestFirst(l); },  // the last line stays, the first two swap
        [](LineList& l) { l.add("0000.01MB - C:\\D"); },
        [](LineList& l) {
            l.clear();
            l.add("x");
            l.add("y");
            l.add("z");
            l.add("0000.01MB - C:\\D");
        },
        [](LineList& l) { l.set(0, "w"); },
        [](LineList& l) { l.clear(); },
    };
    LineList lines;
    LineListModel model{lines};
    QListView view;
    view.setModel(&model);
    for (const auto& step : steps) {
        step(lines);
        model.refresh();
        QCOMPARE(shownLines(&view), modelLines(lines));
    }
}

void MezuMainViewTest::label1KeepsTheSelectedFolderInView()
{
    Fixture f;
    std::string path = "C:\\WORK";
    for (int i = 0; i < 12; ++i) {
        path += "\\long-folder-name-" + std::to_string(i);
    }
    path += "\\SELECTED";
    f.fs.addDirectory(path);
    QVERIFY(f.window.openDirectory(path));
    f.view->refreshFromModel();
    PathLabel* label = f.view->Label1();
    QCOMPARE(label->text().toStdString(), path);
    QCOMPARE(label->toolTip().toStdString(), path);
    const QString shown = label->shownText();
    QVERIFY2(shown.startsWith(QStringLiteral("…")) && shown.endsWith(QStringLiteral("\\SELECTED")), qPrintable(shown));
    const QRect needed = QFontMetrics{label->font()}.boundingRect(label->contentsRect(), Qt::TextWrapAnywhere, shown);
    QVERIFY2(needed.height() <= label->contentsRect().height(), qPrintable(shown));
    QCOMPARE(fitWrappedTail(QStringLiteral("C:\\SHORT"), label->font(), label->size()), QStringLiteral("C:\\SHORT"));
}

void MezuMainViewTest::longResultLinesScrollInsteadOfBeingCut()
{
    Fixture f;
    f.fs.addFile("C:\\WORK\\" + std::string(120, 'N') + "\\f", 1);
    QTest::mouseClick(f.view->Command1(), Qt::LeftButton);
    QListView* list1 = f.view->List1();
    QCOMPARE(list1->textElideMode(), Qt::ElideNone);
    QTRY_VERIFY(list1->horizontalScrollBar()->maximum() > 0);
    int widest = 0;
    for (const QString& line : shownLines(list1)) {
        widest = std::max(widest, QFontMetrics{list1->font()}.horizontalAdvance(line));
    }
    QVERIFY(list1->visualRect(list1->model()->index(0, 0)).width() >= widest);
}

void MezuMainViewTest::focusReturnsToTheButtonThatRanTheCommand()
{
    Fixture f;
    QApplication::setActiveWindow(f.view.get());
    QTest::mouseClick(f.view->Command3(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.view->Command3()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.view->Command2()));
    QTest::keyClick(f.view->Command2(), Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.view->Command2()));
}

void MezuMainViewTest::resultLinesDrillDownAndBackUpWithShareBars()
{
    Fixture f;
    QApplication::setActiveWindow(f.view.get());
    QTest::mouseClick(f.view->Command1(), Qt::LeftButton);
    QListView* list1 = f.view->List1();
    const auto shownShares = [list1] {
        std::vector<double> shares;
        for (int row = 0; row < rowCount(list1); ++row) {
            shares.push_back(list1->model()->index(row, 0).data(LineListModel::kShareRole).toDouble());
        }
        return shares;
    };
    QCOMPARE(shownShares(), f.window.List1Shares());
    const int big = static_cast<int>(shownLines(list1).indexOf(QRegularExpression(R"(.* - C:\\WORK\\BIG .*)")));
    QVERIFY(big >= 0);

    const QRect rect = list1->visualRect(list1->model()->index(big, 0));
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list1->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("C:\\WORK\\BIG"));
    QCOMPARE(shownLines(list1), modelLines(f.window.lists().List1));
    QCOMPARE(shownShares(), f.window.List1Shares());

    QTest::keyClick(list1, Qt::Key_Backspace);
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("C:\\WORK"));

    // The context menu's item does the same for the current line.
    list1->setCurrentIndex(list1->model()->index(big, 0));
    QTimer::singleShot(0, [&f] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        QStringList captions;
        for (const mezumain::List1MenuItem& item : f.window.List1Menu(std::nullopt)) {
            captions << QString::fromStdString(item.caption);
        }
        QStringList shown;
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                shown << action->text();
            }
        }
        QCOMPARE(shown, captions);
        menu->setActiveAction(menu->actions().value(0));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    emit list1->customContextMenuRequested(QPoint{-1, -1});
    QTRY_COMPARE(f.view->Label1()->text(), QStringLiteral("C:\\WORK\\BIG"));

    QTest::mouseClick(f.view->Command3(), Qt::LeftButton);  // the drive report: no bars
    QVERIFY(!list1->model()->index(0, 0).data(LineListModel::kShareRole).isValid());
}
void MezuMainViewTest::allocatedItemTogglesTheSizeModeWithACheckMark()
{
    Fixture f;
    const QString item = QStringLiteral("実割当で計算");
    for (const SizeMode next : {SizeMode::Allocated, SizeMode::Clusters}) {
        const bool checkedBefore = f.window.sizeMode() == SizeMode::Allocated;
        bool shownChecked = !checkedBefore;
        QTimer::singleShot(0, [&item, &shownChecked] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            const QList<QAction*> actions = menu->actions();
            const auto found = std::find_if(actions.begin(), actions.end(),
                                            [&item](const QAction* action) { return action->text() == item; });
            QVERIFY(found != actions.end());
            QVERIFY((*found)->isCheckable());
            shownChecked = (*found)->isChecked();
            menu->setActiveAction(*found);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        emit f.view->List1()->customContextMenuRequested(QPoint{-1, -1});
        QTRY_COMPARE(f.window.sizeMode(), next);
        QCOMPARE(shownChecked, checkedBefore);
    }
}
void MezuMainViewTest::comparingWithASavedReportShowsTheChanges()
{
    test::TempTree directory;
    Fixture f;
    QtOpenDialog dialog;
    posix::PosixReportFileReader reader;
    posix::IconvShiftJisEncoder encoder;
    mezumain window{
        {f.fs, f.drives, f.windowSystem, f.clock, ".", nullptr, &encoder, nullptr, nullptr, &dialog, &reader}};
    MezuMainView view{window, f.windowSystem};
    dialog.setParent(&view);
    window.Form_Load();
    view.refreshFromModel();
    view.show();
    QTest::mouseClick(view.Command1(), Qt::LeftButton);
    QFile saved{QString::fromStdString(directory.path("old.txt"))};
    QVERIFY(saved.open(QIODevice::WriteOnly));
    for (const std::string& line : reportLines(window.lists())) {
        saved.write(QByteArray::fromStdString(line + "\n"));
    }
    saved.close();
    f.fs.addFile("C:\\WORK\\NEW\\f", 10);

    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(shown != nullptr);
            shown->selectFile(saved.fileName());
            static_cast<QDialog*>(shown)->accept();
        });
        menu->setActiveAction(menu->actions().value(1));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    emit view.List1()->customContextMenuRequested(QPoint{-1, -1});
    QTRY_COMPARE(window.lastReport(), mezumain::Report::Comparison);
    QCOMPARE(shownLines(view.List1()), modelLines(window.lists().List1));
    QCOMPARE(view.windowTitle(), QString::fromStdString(window.windowTitle()));
}
QTEST_MAIN(MezuMainViewTest)
#include "mezumain_view_test.moc"
