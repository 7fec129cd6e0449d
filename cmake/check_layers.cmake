# SPDX-License-Identifier: MIT
# The layers of src/ and what each may include (docs/ARCHITECTURE.md). Included by the project,
# it defines mezu_check_layers(), a build step that runs this file as a script over the sources
# whenever one changes; run as a script (cmake -DSOURCE_DIR=src -P check_layers.cmake), it fails
# on an include that runs up a layer, or on a system or toolkit header in the core.

set(MEZU_LAYERS_model "")
set(MEZU_LAYERS_platform model)
set(MEZU_LAYERS_report model platform)
set(MEZU_LAYERS_engine model platform report)
set(MEZU_LAYERS_survey model platform report engine)
set(MEZU_LAYERS_output model platform report engine survey)
set(MEZU_LAYERS_ui model platform report engine survey output)
set(MEZU_LAYERS_platform/posix model platform)
set(MEZU_LAYERS_platform/win32 model platform)
set(MEZU_LAYERS_ui/qt model platform report engine survey output ui)
set(MEZU_LAYERS_ui/win32 model platform platform/win32 report engine survey output ui)
set(MEZU_LAYERS_app model platform platform/posix platform/win32 report engine survey output ui ui/qt ui/win32)
set(MEZU_CORE_LAYERS model platform report engine survey output ui)
# What only a platform backend or a view may include.
set(MEZU_SYSTEM_HEADERS "^(windows|winioctl|shlobj|commctrl|unistd|fcntl|dirent|pthread|iconv|mntent|libmount/|sys/|cups/|Q[A-Za-z]+)")

if(NOT CMAKE_SCRIPT_MODE_FILE)
  function(mezu_check_layers source_dir)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${source_dir}/*.h ${source_dir}/*.cpp)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/layers.checked)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${source_dir} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${sources} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      COMMENT "Checking that every include runs down the layers"
      VERBATIM)
    add_custom_target(mezu_layers ALL DEPENDS ${stamp})
  endfunction()
  return()
endif()

cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(failures "")
foreach(source IN LISTS sources)
  get_filename_component(layer ${source} DIRECTORY)
  if(NOT DEFINED MEZU_LAYERS_${layer})
    string(APPEND failures "  ${source}: in no layer (a folder of its own needs a place in cmake/check_layers.cmake)\n")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include [<\"]")
  foreach(line IN LISTS includes)
    if(line MATCHES "^#include \"([^\"]+)\"")
      get_filename_component(included ${CMAKE_MATCH_1} DIRECTORY)
      if(NOT included STREQUAL layer AND NOT included IN_LIST MEZU_LAYERS_${layer})
        string(APPEND failures "  ${source}: includes ${CMAKE_MATCH_1}, which ${layer}/ may not use\n")
      endif()
    elseif(layer IN_LIST MEZU_CORE_LAYERS AND line MATCHES "^#include <([^>]+)>")
      set(header ${CMAKE_MATCH_1})
      if(header MATCHES "${MEZU_SYSTEM_HEADERS}")
        string(APPEND failures "  ${source}: includes <${header}>, which only a backend or a view may\n")
      endif()
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Includes that break the layers:\n${failures}")
endif()
