# SPDX-License-Identifier: MIT
# Read by ctest after the discovered GoogleTest cases: labels each "unit", or "slow" for the few
# that take seconds (trees thousands of levels deep, descriptor and memory limits, a signal in
# the middle of a save), so that `ctest -L unit` runs in seconds.
set(mezu_slow_tests
  MezuReportEndToEnd.OutOfMemoryEndsWithOneLineNeverAPartialReport
  MezuReportEndToEnd.FiguresAreExactWithFewDescriptorsAndManyThreads
  MezuReportEndToEnd.AReportPastTheFileSizeLimitIsAFailedSave
  MezucomTest.VeryDeepTreesDoNotExhaustTheStack
  PosixFileSystemTest.DeepTreesStayWithinTheDescriptorLimit
  AtomicFileWriterTest.ASignalDuringASaveLeavesTheTargetAndNoTemporaryFile)
set(mezu_unit_tests "")
foreach(suite mezu_core_tests mezu_platform_tests mezu_report_tests)
  foreach(test IN LISTS ${suite}_TESTS)
    list(FIND mezu_slow_tests ${test} slow)
    if(slow EQUAL -1)
      list(APPEND mezu_unit_tests ${test})
    endif()
  endforeach()
endforeach()
set_tests_properties(${mezu_unit_tests} PROPERTIES LABELS unit)
set_tests_properties(${mezu_slow_tests} PROPERTIES LABELS slow)
