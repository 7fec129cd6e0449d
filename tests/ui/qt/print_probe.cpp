// Prints a survey report through the window logic on the system's default printer, for the
// CUPS test. Writes the report's lines (UTF-8, one a line) to the file given as its argument
// and each message box text to standard output as "message: TEXT".
#include <QApplication>

#include <fstream>
#include <iostream>

#include "fake_file_system.h"
#include "fakes.h"
#include "output/report_output.h"
#include "platform/headless_window_system.h"
#include "ui/mezumain.h"
#include "ui/qt/qt_printer.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: print_probe EXPECTED-LINES-FILE\n";
        return 2;
    }
    QApplication application{argc, argv};

    mezu::test::FakeFileSystem fs;
    fs.addFile("C:\\データ\\top", 5000);
    fs.addFile("C:\\データ\\写真\\a.jpg", 3000000);
    fs.addFile("C:\\データ\\music\\b.mp3", 700000);
    mezu::test::FakeDriveQuery drives;
    drives.set('C', mezu::test::driveWithCluster(4096));
    mezu::test::FixedClock clock;
    mezu::HeadlessWindowSystem windowSystem;
    mezu::QtPrinter printer;
    mezu::mezumain window{{fs, drives, windowSystem, clock, ".", nullptr, nullptr, nullptr, &printer}};

    window.Form_Load();
    if (!window.openDirectory("C:\\データ")) {
        std::cerr << "print_probe: test tree missing\n";
        return 1;
    }
    window.Command1_Click();
    std::ofstream expected{argv[1]};
    for (const std::string& line : mezu::reportLines(window.lists())) {
        expected << line << '\n';
    }
    expected.close();

    window.Command4_Click();
    for (const std::string& message : windowSystem.messages()) {
        std::cout << "message: " << message << '\n';
    }
    return 0;
}
