// The Qt window on the offscreen platform, driven as a user would: clicks, keys, menu items.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "fake_file_system.h"
#include "fakes.h"
#include "ui/mezumain.h"
#include "ui/qt/mezumain_view.h"
#include "output/report_output.h"
#include "platform/posix/atomic_file_writer.h"
#include "platform/posix/iconv_encoder.h"
#include "temp_tree.h"
#include "ui/qt/qt_save_dialog.h"
#include "ui/qt/qt_window_system.h"
#include "ui/qt/window_layout.h"

using namespace mezu;

namespace {

QStringList shownLines(const QListWidget* view)
{
    QStringList lines;
    for (int i = 0; i < view->count(); ++i) {
        lines << view->item(i)->text();
    }
    return lines;
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
    void titleCountsTheDirectoriesACommandCouldNotRead();
    void controlsAreDisabledWhileASurveyRuns();
    void helpItemsShowTheirBoxes();
    void tabReachesTheHiddenButton();
    void saveButtonAsksForANameAndWritesShiftJis();
    void closingDuringASurveyStopsIt();
};

void MezuMainViewTest::startsWithTheWorkingDirectoryAndItsDrive()
{
    Fixture f;
    QCOMPARE(f.view->windowTitle(), QStringLiteral("ディレクトリ容量調査ツール"));
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("C:\\WORK"));
    QCOMPARE(shownLines(f.view->dlist()), modelLines(f.window.lists().dlist));
    QCOMPARE(f.view->dlist()->count(), 2);
    QCOMPARE(f.view->Drive1()->currentText(), QStringLiteral("c:"));
    QCOMPARE(shownLines(f.view->Dir1()),
             (QStringList{"C:\\", "  WORK", "    BIG", "    SMALL"}));
    QCOMPARE(f.view->focusWidget(), f.view->Command1());
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
    QCOMPARE(f.view->List1()->font().families().first(), QStringLiteral("ＭＳ 明朝"));
    QCOMPARE(f.view->List1()->font().pointSize(), 9);
    const QFontMetrics metrics{f.view->List1()->font()};
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii.")), metrics.horizontalAdvance(QStringLiteral("MMMM0")));
    QVERIFY2(QFontInfo(f.view->List1()->font()).family().contains(QStringLiteral("Mincho")),
             qPrintable(QFontInfo(f.view->List1()->font()).family()));
    QCOMPARE(f.view->Command5()->font(), f.view->List1()->font());
    QCOMPARE(f.view->Label1()->palette().color(QPalette::Window),
             f.view->palette().color(QPalette::Base));
    QVERIFY(!f.view->windowIcon().isNull());
}

void MezuMainViewTest::pickingADriveShowsItsDirectoryAndFigures()
{
    Fixture f;
    QComboBox* drive1 = f.view->Drive1();
    drive1->setFocus();
    QTest::keyClick(drive1, Qt::Key_Down);
    QCOMPARE(drive1->currentText(), QStringLiteral("d:"));
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("D:\\"));
    QCOMPARE(f.view->dlist()->item(0)->text(), QStringLiteral("D drive: Total = 2047 MB, Free = 1000 MB"));

    QTest::keyClick(drive1, Qt::Key_Down);  // E: has no medium
    QCOMPARE(drive1->currentText(), QStringLiteral("d:"));
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("D:\\"));
    QCOMPARE(f.view->dlist()->count(), 2);
}

void MezuMainViewTest::openingASubdirectoryChangesOnlyTheLabel()
{
    Fixture f;
    const QStringList dlist = shownLines(f.view->dlist());
    QListWidget* dir1 = f.view->Dir1();
    QListWidgetItem* big = dir1->findItems(QStringLiteral("BIG"), Qt::MatchEndsWith).value(0);
    QVERIFY(big != nullptr);
    const QRect itemRect = dir1->visualItemRect(big);
    // A double click as the window system delivers it: press, release, then the double click.
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, itemRect.center());
    QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, itemRect.center());
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("C:\\WORK\\BIG"));
    QCOMPARE(shownLines(f.view->dlist()), dlist);
    QCOMPARE(shownLines(dir1), (QStringList{"C:\\", "  WORK", "    BIG"}));

    dir1->setCurrentRow(1);
    QTest::keyClick(dir1, Qt::Key_Return);
    QCOMPARE(f.view->Label1()->text(), QStringLiteral("C:\\WORK"));
}

void MezuMainViewTest::surveyButtonFillsTheReport()
{
    Fixture f;
    QTest::mouseClick(f.view->Command1(), Qt::LeftButton);
    const WindowLists& lists = f.window.lists();
    QCOMPARE(lists.List1.count(), 3u);
    QCOMPARE(lists.List2.count(), 10u);
    QCOMPARE(lists.List3.line(1), std::string{"C:\\WORK 以下のディレクトリ数： 2"});
    QCOMPARE(shownLines(f.view->List1()), modelLines(lists.List1));
    QVERIFY(f.view->List1()->item(0)->text().startsWith(QStringLiteral("0000.11MB - C:\\WORK ")));
    QVERIFY(f.view->Command1()->isEnabled());
}

void MezuMainViewTest::titleCountsTheDirectoriesACommandCouldNotRead()
{
    Fixture f;
    f.fs.find("C:\\WORK\\SMALL")->cannotOpen = true;
    QTest::mouseClick(f.view->Command1(), Qt::LeftButton);
    QCOMPARE(f.view->windowTitle(), QStringLiteral("ディレクトリ容量調査ツール（読み取れないディレクトリ 1）"));
    QCOMPARE(f.window.lists().List1.count(), 3u);
    QTest::mouseClick(f.view->Command3(), Qt::LeftButton);
    QCOMPARE(f.view->windowTitle(), QStringLiteral("ディレクトリ容量調査ツール"));
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
        for (QWidget* control : std::initializer_list<QWidget*>{
                 f.view->Command1(), f.view->Command2(), f.view->Command3(), f.view->Command4(),
                 f.view->Command5(), f.view->Drive1(), f.view->Dir1()}) {
            allDisabled = allDisabled && !control->isEnabled();
        }
        shownWhileRunning << static_cast<std::size_t>(f.view->List1()->count());
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
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0]->text(), QStringLiteral("プログラムの説明"));
    QCOMPARE(items[1]->text(), QStringLiteral("作者紹介"));
    QCOMPARE(items[2]->text(), QStringLiteral("開発環境"));
    QCOMPARE(items[3]->text(), QStringLiteral("プログラムのバージョン"));

    QStringList texts;
    QMessageBox::Icon icon = QMessageBox::Information;
    QString title;
    int buttons = 0;
    for (QAction* item : items) {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            texts << box->text();
            icon = box->icon();
            title = box->windowTitle();
            buttons = static_cast<int>(box->buttons().size());
            box->accept();
        });
        item->trigger();
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(title, QStringLiteral("mezu"));
        QCOMPARE(buttons, 1);
    }
    QCOMPARE(texts.size(), 4);
    QVERIFY(texts[0].startsWith(QStringLiteral("ディレクトリ配下全てのファイル容量を算出します。")));
    QVERIFY(!texts[0].contains(u'\n'));
    QVERIFY(texts[1].startsWith(QStringLiteral("作者紹介：\n")));
    QVERIFY(texts[2].startsWith(QStringLiteral("開発環境：\n")));
    QCOMPARE(texts[3], QStringLiteral("MEZU.EXE      Ver 1.10\n\n最終更新日:1998/10/23"));
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
    QCOMPARE(f.window.lists().List2.count(), 7u);
    QCOMPARE(shownLines(f.view->List1()), modelLines(f.window.lists().List1));
    QCOMPARE(f.view->List1()->item(f.view->List1()->count() - 1)->text(), QString(48, u'-'));
    QCOMPARE(shownLines(f.view->dlist()).value(0), QStringLiteral("C drive: Total = 255 MB, Free = 125 MB"));

    QTest::mouseClick(f.view->Command3(), Qt::LeftButton);
    QCOMPARE(shownLines(f.view->List1()),
             (QStringList{QString(51, u'-'), QStringLiteral("C drive: Total = 255 MB, Free = 125 MB"),
                          QStringLiteral("   Sector =  512 , Claster =  8 , Block =  4096 B"), QString(51, u'-'),
                          QStringLiteral("D drive: Total = 2047 MB, Free = 1000 MB"),
                          QStringLiteral("   Sector =  512 , Claster =  64 , Block =  32768 B"), QString(51, u'-')}));
}

void MezuMainViewTest::saveButtonAsksForANameAndWritesShiftJis()
{
    QCOMPARE(qtNameFilters("ﾃｷｽﾄﾌｧｲﾙ|*.txt|All Files|*.*|"),
             (QStringList{QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"), QStringLiteral("All Files (*.*)")}));

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

QTEST_MAIN(MezuMainViewTest)
#include "mezumain_view_test.moc"
