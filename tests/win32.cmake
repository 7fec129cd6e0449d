# SPDX-License-Identifier: MIT
# The Windows suites, run under Wine: the Win32 backend against the file-system contract and
# its own tests, and mezu-report.exe end to end against the Linux mezu-report.
add_library(mezu_win32_test_support STATIC support/win32_temp_tree.cpp)
target_include_directories(mezu_win32_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/support)
target_link_libraries(mezu_win32_test_support PUBLIC mezu_win32)

mezu_test(mezu_win32_platform_tests
  platform/clock_test.cpp
  platform/file_system_contract_test.cpp
  platform/win32/win32_platform_test.cpp
)
target_link_libraries(mezu_win32_platform_tests PRIVATE mezu_win32 mezu_win32_test_support)

set(MEZU_LINUX_REPORT "" CACHE FILEPATH "The Linux mezu-report that mezu-report.exe is compared with")
add_test(NAME mezu_report_exe_under_wine
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/app/win32_wine_e2e.sh $<TARGET_FILE:mezu-report> "${MEZU_LINUX_REPORT}")
set_tests_properties(mezu_report_exe_under_wine PROPERTIES RUN_SERIAL TRUE)

find_program(MEZU_OBJDUMP NAMES ${CMAKE_CXX_COMPILER_TARGET}-objdump x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME mezu_windows_zip
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/app/win32_package_test.sh
          ${CMAKE_BINARY_DIR}/mezu-${PROJECT_VERSION}-windows.zip ${MEZU_OBJDUMP})

if(MEZU_WINDOWS_MSI)
  add_test(NAME mezu_windows_msi
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/app/win32_msi_test.sh ${MEZU_WINDOWS_MSI} ${MEZU_WINE})
  set_tests_properties(mezu_windows_msi PROPERTIES RUN_SERIAL TRUE
    ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=\\;winemenubuilder.exe=d")
endif()

# Wine keeps to a prefix of this build and stays quiet, however ctest is started.
set_tests_properties(mezu_core_tests mezu_win32_platform_tests mezu_report_exe_under_wine PROPERTIES
  ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=\\;winemenubuilder.exe=d")

# The window under Wine on a virtual X display, driven from outside through its controls.
add_executable(mezu_window_probe ui/win32/window_probe.cpp)
target_link_libraries(mezu_window_probe PRIVATE mezu_ui mezu_win32 winspool)
target_link_options(mezu_window_probe PRIVATE -municode)
target_compile_definitions(mezu_window_probe PRIVATE UNICODE _UNICODE)
add_test(NAME mezu_window_under_wine
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/app/win32_window_e2e.sh
          $<TARGET_FILE:mezu> $<TARGET_FILE:mezu-report> $<TARGET_FILE:mezu_window_probe>)
set_tests_properties(mezu_window_under_wine PROPERTIES RUN_SERIAL TRUE
  ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDLLOVERRIDES=mscoree,mshtml=\\;winemenubuilder.exe=d")

# The window layer's own logic; its list boxes need a display.
add_executable(mezu_win32_ui_tests ui/win32/win32_ui_test.cpp)
target_link_libraries(mezu_win32_ui_tests PRIVATE mezu_win32_ui GTest::gtest GTest::gtest_main)
find_program(MEZU_XVFB_RUN xvfb-run REQUIRED)
add_test(NAME mezu_win32_ui_tests COMMAND ${MEZU_XVFB_RUN} -a ${MEZU_WINE} $<TARGET_FILE:mezu_win32_ui_tests>)
set_tests_properties(mezu_win32_ui_tests PROPERTIES RUN_SERIAL TRUE
  ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=\\;winemenubuilder.exe=d")
