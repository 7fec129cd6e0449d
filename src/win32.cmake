# SPDX-License-Identifier: MIT
# The Windows build: the Win32 platform backend, mezu-report.exe and the native window mezu.exe
# over the same core.
add_library(mezu_win32 STATIC
  platform/win32/console_stream.cpp
  platform/win32/directory_allocations.cpp
  platform/win32/drive_roots.cpp
  platform/win32/handle_io.cpp
  platform/win32/user_locale.cpp
  platform/win32/wide_text.cpp
  platform/win32/win32_clock.cpp
  platform/win32/win32_drive_query.cpp
  platform/win32/win32_file_system.cpp
  platform/win32/win32_directory_source.cpp
  platform/win32/win32_tree_walk.cpp
  platform/win32/win32_file_writer.cpp
  platform/win32/win32_report_file_reader.cpp
  platform/win32/win32_text_encoder.cpp
)
target_link_libraries(mezu_win32 PUBLIC mezu_platform)
target_compile_definitions(mezu_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

add_library(mezu_report_cli STATIC
  app/report_cli.cpp
  app/progress_window_system.cpp
  app/win32_report_platform.cpp
)
target_link_libraries(mezu_report_cli PUBLIC mezu_core mezu_win32)

# Both programs carry a version record and manifest (data/windows/*.rc).
enable_language(RC)

add_executable(mezu-report app/win32_mezu_report_main.cpp ${PROJECT_SOURCE_DIR}/data/windows/mezu-report.rc)
target_include_directories(mezu-report PRIVATE ${PROJECT_SOURCE_DIR}/data/windows)
target_link_libraries(mezu-report PRIVATE mezu_report_cli shell32)
install(TARGETS mezu-report)

# The native window.
add_library(mezu_win32_ui STATIC
  ui/win32/directory_box.cpp
  ui/win32/drive_box.cpp
  ui/win32/gdi_printer.cpp
  ui/win32/line_list_box.cpp
  ui/win32/main_window.cpp
  ui/win32/path_label.cpp
  ui/win32/text_wrap.cpp
  ui/win32/win32_file_dialogs.cpp
  ui/win32/win32_window_system.cpp
  ui/win32/window_fonts.cpp
)
target_link_libraries(mezu_win32_ui PUBLIC mezu_ui mezu_win32 comctl32 comdlg32 gdi32 shell32 ole32 winspool)
# The W forms throughout, also for the macros (IDC_ARROW, MAKEINTRESOURCE) that pick by this.
target_compile_definitions(mezu_win32_ui PUBLIC UNICODE _UNICODE)

add_executable(mezu WIN32 app/win32_mezu_main.cpp ${PROJECT_SOURCE_DIR}/data/windows/mezu.rc)
target_include_directories(mezu PRIVATE ${PROJECT_SOURCE_DIR}/data/windows)
target_link_options(mezu PRIVATE -municode)
target_link_libraries(mezu PRIVATE mezu_win32_ui)
install(TARGETS mezu)
