// SPDX-License-Identifier: MIT
// Entry point of mezu-report.exe: takes the arguments as UTF-16 from the system, hands them to
// the command line as UTF-8, and sets up the Windows platform and the standard streams.
#include <windows.h>
#include <shellapi.h>

#include <new>
#include <ostream>

#include "app/report_cli.h"
#include "app/win32_report_platform.h"
#include "platform/win32/console_stream.h"
#include "platform/win32/user_locale.h"
#include "platform/win32/wide_text.h"

namespace {

std::vector<std::string> utf8Arguments()
{
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return args;
    }
    for (int i = 1; i < count; ++i) {
        args.push_back(mezu::win32::toUtf8(wide[i]));
    }
    ::LocalFree(wide);
    return args;
}

}  // namespace

int main()
{
    // An empty removable drive must fail the query, not ask the user to insert a disk.
    ::SetErrorMode(SEM_FAILCRITICALERRORS);

    mezu::win32::ConsoleStreamBuf outBuffer{mezu::win32::StandardStream::Output};
    mezu::win32::ConsoleStreamBuf errBuffer{mezu::win32::StandardStream::Error};
    std::ostream out{&outBuffer};
    std::ostream err{&errBuffer};
    int status = mezu::kExitFailure;
    try {
        const mezu::ReportEnvironment environment{mezu::makeWin32ReportPlatform,
                                                  out,
                                                  err,
                                                  errBuffer.isConsole(),
                                                  mezu::win32::userDecimalSeparator(),
                                                  mezu::kWin32Help};
        status = mezu::runMezuReport(utf8Arguments(), environment);
    } catch (const std::bad_alloc&) {
        // The report is written only once it is whole: none of it has gone out. What the
        // command built is freed by now, so the line finds the little memory it needs.
        err << "mezu-report: out of memory\n";
    }
    out.flush();
    err.flush();
    return status;
}
