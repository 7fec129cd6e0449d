// SPDX-License-Identifier: MIT
// Entry point of mezu.exe, the window: the Windows platform of this machine, the window logic
// and its native Win32 view.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <new>

#include "platform/win32/user_locale.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_drive_query.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_file_writer.h"
#include "platform/win32/win32_report_file_reader.h"
#include "platform/win32/win32_text_encoder.h"
#include "ui/mezumain.h"
#include "ui/win32/gdi_printer.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_file_dialogs.h"
#include "ui/win32/win32_window_system.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
try {
    // An empty removable drive must fail the query, not ask the user to insert a disk.
    ::SetErrorMode(SEM_FAILCRITICALERRORS);
    // The shell's icons and the file dialogs want COM on the window's thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    const mezu::win32::DriveRoots roots = mezu::win32::DriveRoots::systemDrives();
    mezu::win32::Win32FileSystem fileSystem{roots};
    mezu::win32::Win32DriveQuery driveQuery{roots};
    mezu::win32::Win32Clock clock;
    mezu::win32::Win32WindowSystem windowSystem;
    mezu::win32::Win32SaveDialog saveDialog;
    mezu::win32::Win32ShiftJisEncoder encoder;
    mezu::win32::Win32FileWriter fileWriter;
    mezu::win32::GdiPrinter printer;
    mezu::win32::Win32OpenDialog openDialog;
    mezu::win32::Win32ReportFileReader fileReader;

    mezu::mezumain window{{fileSystem, driveQuery, windowSystem, clock, mezu::win32::userDecimalSeparator(),
                           &saveDialog, &encoder, &fileWriter, &printer, &openDialog, &fileReader}};
    mezu::win32::MainWindow view{window, windowSystem};
    if (!view.create(instance)) {
        ::MessageBoxW(nullptr, L"ウィンドウを作れません", L"mezu", MB_OK);
        return 1;
    }
    saveDialog.setOwner(view.handle());
    openDialog.setOwner(view.handle());
    window.Form_Load();
    view.refreshFromModel();
    view.show(showCommand);
    const int status = view.run();
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return status;
} catch (const std::bad_alloc&) {
    // A command that runs out of memory shows this itself and the window goes on; this is for
    // what is left, such as the start.
    ::MessageBoxW(nullptr, L"メモリが足りません", L"mezu", MB_OK);
    return 1;
}
