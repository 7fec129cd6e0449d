# SPDX-License-Identifier: MIT
# GoogleTest for the Windows build: Debian ships its sources (libgtest-dev), built here with the
# cross compiler, under the names find_package gives on Linux (recent sources define them).
set(MEZU_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${MEZU_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL SYSTEM)
# Its own sources are not held to the project's warnings: MinGW's GCC takes gtest.h's
# pointer checks for possible null dereferences.
foreach(target gtest gtest_main)
  target_compile_options(${target} PRIVATE -Wno-null-dereference)
endforeach()
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
