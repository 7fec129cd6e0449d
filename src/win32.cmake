# The Windows build: the Win32 platform backend and mezu-report.exe over the same core.
add_library(mezu_win32 STATIC
  platform/win32/console_stream.cpp
  platform/win32/drive_roots.cpp
  platform/win32/handle_io.cpp
  platform/win32/wide_text.cpp
  platform/win32/win32_clock.cpp
  platform/win32/win32_drive_query.cpp
  platform/win32/win32_file_system.cpp
  platform/win32/win32_file_writer.cpp
  platform/win32/win32_text_encoder.cpp
)
target_link_libraries(mezu_win32 PUBLIC mezu_core)
target_compile_definitions(mezu_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

add_library(mezu_report_cli STATIC
  app/report_cli.cpp
  app/progress_window_system.cpp
  app/win32_report_platform.cpp
)
target_link_libraries(mezu_report_cli PUBLIC mezu_core mezu_win32)

add_executable(mezu-report app/win32_mezu_report_main.cpp)
target_link_libraries(mezu-report PRIVATE mezu_report_cli shell32)
install(TARGETS mezu-report)
