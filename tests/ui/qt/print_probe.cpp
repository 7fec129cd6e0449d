// SPDX-License-Identifier: MIT
// Prints through the window's printer on the system's default printer, for the CUPS test.
//   print_probe EXPECTED-LINES-FILE  prints a survey report through the window logic and
//                                    writes its lines (UTF-8, one a line) to the file
//   print_probe --interrupted        starts a document, prints a few lines and drops it
// Each message box text goes to standard output as "message: TEXT".
#include <QApplication>

#include <fstream>
#include <iostream>
#include <string_view>

#include "fake_file_system.h"
#include "fakes.h"
#include "output/report_output.h"
#include "engine/headless_window_system.h"
#include "ui/mezumain.h"
#include "ui/qt/qt_printer.h"

namespace {

// A directory name long enough that its result line is wider than any paper.
constexpr std::size_t kLongNameLength = 180;
constexpr int kInterruptedLines = 3;

int printInterrupted()
{
    mezu::QtPrinter printer;
    if (!printer.setCopies(1)) {
        std::cout << "message: no printer\n";
        return 0;
    }
    for (int i = 0; i < kInterruptedLines; ++i) {
        printer.printLine("an interrupted document");
    }
    printer.discardDocument();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: print_probe EXPECTED-LINES-FILE | --interrupted\n";
        return 2;
    }
    QApplication application{argc, argv};
    if (std::string_view{argv[1]} == "--interrupted") {
        return printInterrupted();
    }

    mezu::test::FakeFileSystem fs;
    fs.addFile("C:\\データ\\top", 5000);
    fs.addFile("C:\\データ\\写真\\a.jpg", 3000000);
    fs.addFile("C:\\データ\\music\\b.mp3", 700000);
    fs.addFile("C:\\データ\\" + std::string(kLongNameLength, 'L') + "\\c.dat", 123456);
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
