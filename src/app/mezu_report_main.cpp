// SPDX-License-Identifier: MIT
// Entry point of mezu-report: sets up the POSIX platform and the standard streams.
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <new>
#include <string_view>

#include "app/posix_report_platform.h"
#include "app/report_cli.h"
#include "platform/posix/heap_tuning.h"
#include "platform/posix/terminal.h"

namespace {

constexpr std::string_view kOutOfMemory = "mezu-report: out of memory\n";

// Progress redraws its line with escapes that a dumb terminal (an editor's shell buffer, a
// serial console) prints as they are.
bool progressFits()
{
    const char* terminal = std::getenv("TERM");
    return mezu::posix::standardErrorIsTerminal() && !(terminal != nullptr && std::string_view{terminal} == "dumb");
}

// Ends the process once a report is delivered: the streams are flushed, and what the command
// built is left to the system, which takes it back at once, rather than freed block by block.
[[noreturn]] void endWithReport(int status)
{
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(status);
}

}  // namespace

int main(int argc, char** argv)
try {
    mezu::posix::keepLargeBlocksInTheHeap();
    // Nothing here writes through C's stdio: the streams need not wait on it, and standard
    // output then buffers a long report instead of handing every piece of a line over alone.
    std::ios::sync_with_stdio(false);
    std::setlocale(LC_ALL, "");
    const std::string decimalSeparator = std::localeconv()->decimal_point;
    // Numbers the program prints itself must not pick up grouping from the locale.
    std::setlocale(LC_NUMERIC, "C");

    const std::vector<std::string> args(argv + 1, argv + argc);
    mezu::ReportEnvironment environment{mezu::makePosixReportPlatform, std::cout, std::cerr, progressFits(),
                                        decimalSeparator};
    environment.endProcess = endWithReport;
    return mezu::runMezuReport(args, environment);
} catch (const std::bad_alloc&) {
    // The report is written only once it is whole; whatever standard output still holds is
    // dropped, never flushed as if it were the report. The standard error stream writes
    // through the buffer it was given at start-up.
    std::cout.setstate(std::ios::badbit);
    std::cerr << kOutOfMemory << std::flush;
    return mezu::kExitFailure;
}
